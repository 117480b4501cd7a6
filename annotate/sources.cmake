vl_core(page_marks.cpp)
