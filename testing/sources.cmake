vl_test_support(sanitizer_options.cpp)
vl_test_support(tiff_builder.cpp recording_shell.cpp)
