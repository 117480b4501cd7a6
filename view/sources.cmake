vl_uses(config decode document)
vl_shell_uses(base)
vl_core(bilevel_coverage.cpp exact_area.cpp geometry.cpp paint_plan.cpp plain_stretch.cpp row_reducer.cpp scale_filters.cpp
        scale_math.cpp scaled_view.cpp view_ops.cpp mouse_modes.cpp marks_paint.cpp zoom_geometry.cpp
        shell_seam.cpp)
vl_core_test(geometry_test.cpp paint_plan_test.cpp row_reducer_test.cpp scale_filters_test.cpp scaled_view_test.cpp view_ops_test.cpp mouse_modes_test.cpp zoom_geometry_test.cpp)
vl_win(win/zoom_monitors.cpp win/image_paint.cpp win/page_paint.cpp)
