vl_win(win/image_window.cpp)
vl_win_test(win/image_window_test.cpp)
