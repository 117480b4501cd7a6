# In the Windows build the core's file layer (document/file_system.h) is
# implemented in the document's Win32 shell, which itself links the core: name
# the shell after the core as well, so that any program pulling in the core's
# byte sources finds the file calls whatever it references first.
if(WIN32 AND TARGET vl_document_win)
  target_link_libraries(vl_document PUBLIC vl_document_win)
endif()
