# The page-analysis benchmark: reported, not a test. Build it in a Release tree
# (-O2) and run it by hand: build/analysis-bench/barcode_bench
if(NOT WIN32 AND NOT VL_FUZZ)
  add_executable(barcode_bench ${CMAKE_SOURCE_DIR}/analysis/barcode_bench.cpp
                 ${CMAKE_SOURCE_DIR}/analysis/code128_draw.cpp)
  target_link_libraries(barcode_bench PRIVATE vl_analysis)
  target_compile_options(barcode_bench PRIVATE ${VL_WARNINGS})
  target_compile_definitions(barcode_bench PRIVATE VL_CORPUS_DIR="${VL_CORPUS}")
endif()
