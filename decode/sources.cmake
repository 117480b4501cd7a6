vl_uses(base config ${VL_TIFF_LIBS})
vl_core(channel_order.cpp colour.cpp colour_table.cpp decode_page.cpp decoder_chunks.cpp decoder_scanlines.cpp
        decoder_validate.cpp library_messages.cpp page_decoder.cpp raster_ops.cpp raster_rgb.cpp jpeg_reduced.cpp)
vl_fuzz(../fuzz/decode_fuzz.cpp)
vl_core_test(channel_order_test.cpp colour_test.cpp jpeg_reduced_test.cpp corpus_agreement_test.cpp page_decoder_test.cpp raster_ops_test.cpp)
