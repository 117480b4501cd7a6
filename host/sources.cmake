vl_uses(base config decode document view annotate analysis ui)
vl_shell_uses(output update inspect)
vl_core(viewer.cpp viewer_registry.cpp embed_params.cpp viewer_file.cpp stream_reception.cpp viewer_pages.cpp context_menu_viewer.cpp info_text_viewer.cpp settings_apply.cpp)
vl_core_test(viewer_test.cpp viewer_registry_test.cpp stream_reception_test.cpp)
# The viewer's scripting surface and its sketching work on the whole viewer.
vl_core(script_object.cpp page_events.cpp script_methods.cpp viewer_sketch.cpp)
vl_core_test(script_object_test.cpp script_methods_test.cpp viewer_sketch_test.cpp)
vl_win(win/script_ops_win.cpp win/sketch_mouse.cpp win/sketch_commands.cpp)
vl_fuzz(../fuzz/script_fuzz.cpp)
vl_win(win/viewer_shell.cpp win/status_line.cpp win/viewer_output.cpp win/open_local.cpp win/viewer_update.cpp
       win/image_window.cpp win/image_scroll.cpp win/image_mouse.cpp win/zoom_window.cpp win/upload_win.cpp
       win/viewer_commands.cpp win/settings_sheet.cpp win/info_commands.cpp win/viewer_menu.cpp
       win/toolbar_window.cpp win/viewer_toolbar.cpp
       win/shell_win.cpp)
vl_core(npapi.h module_state.cpp module_rules.cpp nperror.cpp browser.cpp)
vl_core_test(module_rules_test.cpp nperror_test.cpp browser_test.cpp)
vl_win(win/np_exports.cpp win/viewer_quarantine.cpp win/module_startup.cpp win/npp_slots.cpp win/plugin_window.cpp)
vl_win_test(win/module_startup_test.cpp win/npp_slots_test.cpp win/image_window_test.cpp win/zoom_window_test.cpp
            win/shell_win_test.cpp)
vl_fuzz(../fuzz/embed_params_fuzz.cpp)
vl_fuzz(../fuzz/stream_fuzz.cpp)
