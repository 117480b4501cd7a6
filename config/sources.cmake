vl_core(bounded_text.cpp error_log.cpp message_box.cpp)
vl_core_test(bounded_text_test.cpp error_log_test.cpp)
