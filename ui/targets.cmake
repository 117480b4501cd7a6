# The information text names the versions that libjpeg and zlib report about
# themselves. The Windows build links both already (after libtiff); the native
# core, which links the shared libtiff only, needs them named.
if(NOT WIN32 AND TARGET vl_ui)
  find_package(JPEG REQUIRED)
  find_package(ZLIB REQUIRED)
  target_link_libraries(vl_ui PUBLIC JPEG::JPEG ZLIB::ZLIB)
endif()
