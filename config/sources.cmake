vl_core(bounded_text.cpp error_log.cpp message_box.cpp zoom_steps.cpp settings_store.cpp settings.cpp)
vl_core_test(bounded_text_test.cpp error_log_test.cpp settings_test.cpp)
vl_win(win/registry_store.cpp win/message_box_win.cpp win/codepage.cpp)
vl_win_test(win/registry_store_test.cpp win/codepage_test.cpp win/message_box_win_test.cpp)
