vl_core(text.cpp text_format.cpp)
vl_core_test(text_test.cpp)
