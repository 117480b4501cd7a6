# The page authors' guide is checked against the viewer's tables, so its test
# needs the parts that hold them.
if("host" IN_LIST VL_SUBSYSTEMS)
  vl_core_test(guide_test.cpp)
endif()
