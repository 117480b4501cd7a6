vl_core(toolbar_items.cpp)
vl_core_test(toolbar_items_test.cpp)
