# The reduction benchmark: a report, not a test. Build it in an optimised tree.
if(NOT WIN32)
  add_executable(view_bench ${CMAKE_CURRENT_LIST_DIR}/bench/reduce_bench.cpp)
  target_link_libraries(view_bench PRIVATE vl_view)
  target_compile_options(view_bench PRIVATE ${VL_WARNINGS})
endif()
