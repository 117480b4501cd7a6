vl_uses(base decode document)
vl_core(code128_table.cpp row_runs.cpp barcode_row.cpp barcode_scan.cpp
        mark_border.cpp mark_box.cpp mark_grid.cpp page_analysis.cpp raster_load.cpp)
vl_core_test(code128_draw.cpp code128_table_test.cpp row_runs_test.cpp barcode_scan_test.cpp
             barcode_corpus_test.cpp page_analysis_test.cpp mark_box_test.cpp mark_grid_test.cpp)
vl_fuzz(../fuzz/barcode_fuzz.cpp)
