vl_core(script_object.cpp page_events.cpp)
vl_core_test(script_object_test.cpp)
