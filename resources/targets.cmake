# The cursors are drawn as text (resources/cursors/cursors.txt) and turned into
# .cur files at build time, where the resource compiler finds them.
if(WIN32)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(VL_CURSOR_DIR ${CMAKE_BINARY_DIR}/cursors)
  set(VL_CURSOR_NAMES HOTSPOT2 MAGNIFY CUR_PAN1 CUR_PAN2 CUR_PENCIL CUR_ERASER)
  set(VL_CURSOR_FILES)
  foreach(name IN LISTS VL_CURSOR_NAMES)
    list(APPEND VL_CURSOR_FILES ${VL_CURSOR_DIR}/${name}.cur)
  endforeach()
  add_custom_command(
    OUTPUT ${VL_CURSOR_FILES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VL_CURSOR_DIR}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/resources/cursors/make_cursors.py
            ${CMAKE_SOURCE_DIR}/resources/cursors/cursors.txt ${VL_CURSOR_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/cursors/make_cursors.py ${CMAKE_SOURCE_DIR}/resources/cursors/cursors.txt
    COMMENT "Drawing the cursors")
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/npvellarion.rc PROPERTIES
                              OBJECT_DEPENDS "${VL_CURSOR_FILES}")
  target_include_directories(npvellarion PRIVATE ${VL_CURSOR_DIR} ${VL_GENERATED_DIR})

  # The toolbar's icons and logo come the same way from resources/toolbar/toolbar_art.txt.
  set(VL_TOOLBAR_ART_DIR ${CMAKE_BINARY_DIR}/toolbar_art)
  file(STRINGS ${CMAKE_SOURCE_DIR}/resources/toolbar/toolbar_art.txt VL_TOOLBAR_ICON_LINES REGEX "^icon [0-9]+ ")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/toolbar/toolbar_art.txt)
  set(VL_TOOLBAR_ART_FILES ${VL_TOOLBAR_ART_DIR}/TBLOGO.bmp)
  foreach(line IN LISTS VL_TOOLBAR_ICON_LINES)
    string(REGEX REPLACE "^icon ([0-9]+) .*" "\\1" id "${line}")
    list(APPEND VL_TOOLBAR_ART_FILES ${VL_TOOLBAR_ART_DIR}/tb${id}.ico)
  endforeach()
  add_custom_command(
    OUTPUT ${VL_TOOLBAR_ART_FILES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VL_TOOLBAR_ART_DIR}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/resources/toolbar/make_toolbar_art.py
            ${CMAKE_SOURCE_DIR}/resources/toolbar/toolbar_art.txt ${VL_TOOLBAR_ART_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/toolbar/make_toolbar_art.py
            ${CMAKE_SOURCE_DIR}/resources/toolbar/toolbar_art.txt
    COMMENT "Drawing the toolbar's icons and logo")
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/toolbar_art.rc PROPERTIES
                              OBJECT_DEPENDS "${VL_TOOLBAR_ART_FILES}")
  target_include_directories(npvellarion PRIVATE ${VL_TOOLBAR_ART_DIR})
endif()

if(WIN32)
  find_program(VL_OBJDUMP NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-objdump objdump)
  if(VL_OBJDUMP)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set(VL_MACHINE x86-64)
    else()
      set(VL_MACHINE i386)
    endif()
    add_test(NAME resources.module_imports_and_exports
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/resources/check_module.py ${VL_OBJDUMP}
                     $<TARGET_FILE:npvellarion> ${CMAKE_SOURCE_DIR}/resources/npvellarion.rc ${VL_MACHINE}
                     "${VL_VERSION_TEXT}")
  endif()
endif()
