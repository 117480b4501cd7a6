# The project's version in the spellings its users need: the version block's
# "2, 0, 0, 2" (through a generated header the .rc includes) and the installers'
# 2.0.0.2 (VL_VERSION).
set(VL_VERSION ${PROJECT_VERSION})
string(REPLACE "." ", " VL_VERSION_TEXT "${VL_VERSION}")
string(REPLACE "." "," VL_VERSION_NUMBERS "${VL_VERSION}")
set(VL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vl_version.h.in ${VL_GENERATED_DIR}/vl_version.h @ONLY)
