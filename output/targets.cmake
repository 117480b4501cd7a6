# The Send tests load a stand-in mail library from beside win_tests.exe.
if(WIN32 AND TARGET win_tests)
  add_library(vltestmail SHARED ${CMAKE_CURRENT_LIST_DIR}/win/test_mail_stub.cpp)
  set_target_properties(vltestmail PROPERTIES PREFIX "")
  target_include_directories(vltestmail PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(vltestmail PRIVATE ${VL_WARNINGS})
  target_link_options(vltestmail PRIVATE -static -Wl,--kill-at)
  add_dependencies(win_tests vltestmail)
  # The host finds it under the system library's name in a folder of its own.
  add_custom_command(TARGET vltestmail POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vltestmail> ${CMAKE_BINARY_DIR}/mailstub/MAPI32.DLL)
endif()
