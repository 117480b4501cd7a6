vl_core(text.cpp text_format.cpp url.cpp)
vl_core_test(text_test.cpp url_test.cpp)
