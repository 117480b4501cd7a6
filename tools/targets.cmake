if(NOT WIN32)
  # The subcommands sit above every subsystem and use only their public headers.
  set(VL_TOOL_DIR ${CMAKE_SOURCE_DIR}/tools/vellarion)
  add_executable(vellarion ${VL_TOOL_DIR}/main.cpp ${VL_TOOL_DIR}/analysis_cli.cpp ${VL_TOOL_DIR}/barcodes_command.cpp
                 ${VL_TOOL_DIR}/blank_command.cpp ${VL_TOOL_DIR}/info_command.cpp ${VL_TOOL_DIR}/png_rows.cpp
                 ${VL_TOOL_DIR}/raster_png.cpp ${VL_TOOL_DIR}/render_command.cpp
                 ${VL_TOOL_DIR}/tags_command.cpp ${VL_TOOL_DIR}/viewer_command.cpp)
  target_link_libraries(vellarion PRIVATE vl_host vl_inspect vl_analysis PkgConfig::PNG)
  target_compile_options(vellarion PRIVATE ${VL_WARNINGS})
endif()
if(NOT WIN32 AND NOT VL_FUZZ)
  add_executable(make_sample ${CMAKE_SOURCE_DIR}/tools/make_sample.cpp)
  target_link_libraries(make_sample PRIVATE ${VL_TIFF_LIBS})
  target_compile_options(make_sample PRIVATE ${VL_WARNINGS})
  # The PNG writer, and the tool itself run on hostile files it must refuse.
  add_executable(vellarion_tests ${VL_TOOL_DIR}/png_rows.cpp ${VL_TOOL_DIR}/raster_png.cpp
                 ${VL_TOOL_DIR}/raster_png_test.cpp ${VL_TOOL_DIR}/hostile_files_test.cpp)
  target_link_libraries(vellarion_tests PRIVATE vltestsupport vl_document vl_decode GTest::gtest_main PkgConfig::PNG)
  target_compile_options(vellarion_tests PRIVATE ${VL_WARNINGS})
  target_compile_definitions(vellarion_tests PRIVATE VL_TOOL_PATH="$<TARGET_FILE:vellarion>")
  add_dependencies(vellarion_tests vellarion)
  gtest_discover_tests(vellarion_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300)
endif()
