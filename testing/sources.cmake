vl_test_support(sanitizer_options.cpp)
vl_test_support(tiff_builder.cpp)
