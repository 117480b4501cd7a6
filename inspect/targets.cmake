# The Win32 tests open the tag dialog from this program's own resources, so
# they run whether or not the plug-in DLL of the same build links.
if(WIN32 AND TARGET win_tests)
  target_sources(win_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/win/tag_dialog.rc)
endif()
