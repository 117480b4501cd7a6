vl_uses(base config decode document annotate ${VL_TIFF_LIBS})
vl_shell_uses(view)
vl_core(bmp_file.cpp document_tiff.cpp mail_rules.cpp save_rules.cpp tiff_page_writer.cpp wallpaper_rules.cpp)
vl_win(win/clipboard.cpp win/document_writer.cpp win/file_dialogs.cpp
       win/page_bitmap.cpp win/save_as.cpp win/send_mail.cpp win/wallpaper.cpp)
vl_core(print_placement.cpp print_job.cpp print_hack.cpp)
vl_core_test(print_placement_test.cpp print_job_test.cpp)
vl_win(win/print_backend.cpp win/print_dialogs.cpp win/print_draw.cpp win/print_hack_win.cpp win/print_request.cpp)
vl_win_test(win/print_win_test.cpp)
vl_core_test(bmp_file_test.cpp document_tiff_test.cpp mail_rules_test.cpp save_rules_test.cpp
             tiff_page_writer_test.cpp wallpaper_rules_test.cpp)
vl_win_test(win/output_win_test.cpp)
