# Each subsystem's sources.cmake lists its files once through these functions;
# the native and Windows builds draw on the same lists. The subsystem is the folder
# the sources.cmake sits in: besides the whole-build lists (VL_CORE, VL_WIN, ...) each
# file is recorded under its subsystem (VL_CORE_view, VL_WIN_view, ...), from which
# cmake/subsystems.cmake makes one library per subsystem and one per Win32 shell.
function(_vl_append prop)
  get_filename_component(sub ${CMAKE_CURRENT_LIST_DIR} NAME)
  set(files)
  foreach(f IN LISTS ARGN)
    list(APPEND files ${CMAKE_CURRENT_LIST_DIR}/${f})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY ${prop} ${files})
  set_property(GLOBAL APPEND PROPERTY ${prop}_${sub} ${files})
endfunction()
# What a subsystem's portable core uses from the layers below it (scripts/layers.txt),
# and link items such as ${VL_TIFF_LIBS}. Its Win32 shell uses the same folders' shells.
macro(vl_uses)
  _vl_append_uses(VL_USES ${ARGN})
endmacro()
# Further folders only the Win32 shell uses.
macro(vl_shell_uses)
  _vl_append_uses(VL_SHELL_USES ${ARGN})
endmacro()
function(_vl_append_uses prop)
  get_filename_component(sub ${CMAKE_CURRENT_LIST_DIR} NAME)
  set_property(GLOBAL APPEND PROPERTY ${prop}_${sub} ${ARGN})
endfunction()
# Portable core sources (no windows.h).
macro(vl_core)
  _vl_append(VL_CORE ${ARGN})
endmacro()
# Win32 shell sources (the win/ folders); built only for Windows.
macro(vl_win)
  _vl_append(VL_WIN ${ARGN})
endmacro()
# Tests of the core: run natively under the sanitizers.
macro(vl_core_test)
  _vl_append(VL_CORE_TESTS ${ARGN})
endmacro()
# Tests of the Win32 shell: run under Wine.
macro(vl_win_test)
  _vl_append(VL_WIN_TESTS ${ARGN})
endmacro()
# Helpers shared by tests of both builds (fixture builders and the like).
macro(vl_test_support)
  _vl_append(VL_TEST_SUPPORT ${ARGN})
endmacro()
macro(vl_rc)
  _vl_append(VL_RC ${ARGN})
endmacro()
macro(vl_def)
  _vl_append(VL_DEF ${ARGN})
endmacro()
# libFuzzer targets: `LLVMFuzzerTestOneInput` in one file each. A normal native
# build replays fuzz/corpus/<target name>/ through them as a test.
macro(vl_fuzz)
  _vl_append(VL_FUZZERS ${ARGN})
endmacro()
# Core files that stand in for a platform service natively (POSIX files and the
# like); their Windows counterparts live in win/.
macro(vl_native)
  if(NOT WIN32)
    _vl_append(VL_CORE ${ARGN})
  endif()
endmacro()
