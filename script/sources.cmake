vl_core(script_object.cpp)
vl_core_test(script_object_test.cpp)
