vl_win(win/clipboard.cpp)
