vl_core(viewer.cpp embed_params.cpp module_state.cpp)
vl_core_test(viewer_test.cpp)
vl_tool(viewer_command.cpp)
vl_win(win/viewer_shell.cpp)
