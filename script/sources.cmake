vl_core(script_object.cpp page_events.cpp script_methods.cpp)
vl_core_test(script_object_test.cpp script_methods_test.cpp)
vl_win(win/script_ops_win.cpp)
vl_fuzz(../fuzz/script_fuzz.cpp)
