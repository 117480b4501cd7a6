# vlhost.exe: the test host that loads the plug-in the way a browser does.
if(WIN32)
  add_executable(vlhost
    ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/options.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log.cpp ${CMAKE_CURRENT_LIST_DIR}/npruntime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_objects.cpp ${CMAKE_CURRENT_LIST_DIR}/browser_funcs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plugin_module.cpp ${CMAKE_CURRENT_LIST_DIR}/instances.cpp
    ${CMAKE_CURRENT_LIST_DIR}/streams.cpp ${CMAKE_CURRENT_LIST_DIR}/steps.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modal_answerer.cpp ${CMAKE_CURRENT_LIST_DIR}/menu_answerer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp ${CMAKE_CURRENT_LIST_DIR}/plugin_registry.cpp)
  target_include_directories(vlhost PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(vlhost PRIVATE ${VL_WARNINGS})
  target_link_libraries(vlhost PRIVATE gdiplus version shell32 user32 gdi32 advapi32)
  add_dependencies(vlhost npvellarion)
endif()

# Each case file runs the host once against the real module and checks its lines.
if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  file(GLOB VL_HOST_CASES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tests/*.case)
  foreach(case IN LISTS VL_HOST_CASES)
    get_filename_component(name ${case} NAME_WE)
    add_test(NAME vlhost.${name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/tests/run_case.py
                     ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:vlhost> $<TARGET_FILE:npvellarion>
                     ${CMAKE_SOURCE_DIR} ${case}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(vlhost.${name} PROPERTIES TIMEOUT 300 RESOURCE_LOCK wineglobal
                         ENVIRONMENT "VL_VERSION_TEXT=${VL_VERSION_TEXT}")
  endforeach()
endif()
