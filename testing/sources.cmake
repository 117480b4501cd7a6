vl_test_support(sanitizer_options.cpp)
vl_test_support(tiff_builder.cpp)
# Core tests only: it needs the view layer, which the benchmarks do not link.
vl_core_test(recording_shell.cpp)
