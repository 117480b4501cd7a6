if(NOT WIN32)
  # Reduced JPEG pages call the codec directly; the native libtiff is shared
  # and does not bring it (the Windows builds link it after libtiff already).
  if(TARGET vl_decode)
    find_package(JPEG REQUIRED)
    target_link_libraries(vl_decode PUBLIC JPEG::JPEG)
  endif()
  # The corpus agreement test reads the reference renders, which are PNG.
  if(TARGET core_tests)
    target_link_libraries(core_tests PRIVATE PkgConfig::PNG)
  endif()
  # Decode timings against libtiff's RGBA reader; run by hand, not by ctest.
  # It builds its large pages with the test fixture builder.
  if("testing" IN_LIST VL_SUBSYSTEMS)
    add_executable(decode_bench ${CMAKE_CURRENT_LIST_DIR}/bench/decode_bench.cpp)
    target_link_libraries(decode_bench PRIVATE vl_decode vltestsupport)
    target_compile_options(decode_bench PRIVATE ${VL_WARNINGS})
  endif()
endif()
