# One static library per subsystem's portable core (vl_<folder>) and one per Win32
# shell (vl_<folder>_win, Windows builds only), made from the lists the folders'
# sources.cmake record, each linking what its folder uses: cores the cores of the
# layers below, a shell its own core and the shells (or, where a folder has none,
# the cores) of the folders it uses. Programs link the top libraries they need.
#
# VL_CORE_LIBS and VL_SHELL_LIBS hold the libraries made, top layer first (the order
# a static link wants).

set(VL_WIN32_LIBS comctl32 comdlg32 gdi32 user32 advapi32 shell32 ole32 winspool ws2_32 version)

file(STRINGS ${CMAKE_SOURCE_DIR}/scripts/layers.txt _vl_layer_lines REGEX "^[a-z]")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scripts/layers.txt)
set(VL_LAYER_ORDER)
foreach(line IN LISTS _vl_layer_lines)
  string(REPLACE " " ";" line "${line}")
  list(APPEND VL_LAYER_ORDER ${line})
endforeach()

set(VL_CORE_LIBS)
set(VL_SHELL_LIBS)
foreach(sub IN LISTS VL_LAYER_ORDER)
  if(NOT sub IN_LIST VL_SUBSYSTEMS)
    continue()
  endif()
  get_property(core GLOBAL PROPERTY VL_CORE_${sub})
  if(core)
    add_library(vl_${sub} STATIC ${core})
    target_include_directories(vl_${sub} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(vl_${sub} PRIVATE ${VL_WARNINGS})
    list(PREPEND VL_CORE_LIBS vl_${sub})
  endif()
  get_property(shell GLOBAL PROPERTY VL_WIN_${sub})
  if(WIN32 AND shell)
    add_library(vl_${sub}_win STATIC ${shell})
    target_include_directories(vl_${sub}_win PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(vl_${sub}_win PRIVATE ${VL_WARNINGS})
    target_link_libraries(vl_${sub}_win PUBLIC ${VL_WIN32_LIBS})
    if(core)
      target_link_libraries(vl_${sub}_win PUBLIC vl_${sub})
    endif()
    list(PREPEND VL_SHELL_LIBS vl_${sub}_win)
  endif()
endforeach()

# A used name that is no folder is a link item (a third-party library); a folder left
# out of VL_SUBSYSTEMS is skipped, so a narrowed tree still configures.
function(_vl_link target shell)
  foreach(item IN LISTS ARGN)
    if(NOT item IN_LIST VL_LAYER_ORDER)
      target_link_libraries(${target} PUBLIC ${item})
    elseif(shell AND TARGET vl_${item}_win)
      target_link_libraries(${target} PUBLIC vl_${item}_win)
    elseif(TARGET vl_${item})
      target_link_libraries(${target} PUBLIC vl_${item})
    endif()
  endforeach()
endfunction()
foreach(sub IN LISTS VL_LAYER_ORDER)
  get_property(uses GLOBAL PROPERTY VL_USES_${sub})
  get_property(shell_uses GLOBAL PROPERTY VL_SHELL_USES_${sub})
  if(TARGET vl_${sub})
    _vl_link(vl_${sub} FALSE ${uses})
  endif()
  if(TARGET vl_${sub}_win)
    _vl_link(vl_${sub}_win TRUE ${uses} ${shell_uses})
  endif()
endforeach()
