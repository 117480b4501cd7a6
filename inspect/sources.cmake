vl_uses(base)
vl_shell_uses(config)
vl_core(tiff_inspector.cpp rtf_out.cpp tag_names.cpp tag_name_table.cpp entry_values.cpp tag_report.cpp
        report_builder.cpp rtf_to_text.cpp)
vl_core_test(tiff_inspector_test.cpp tag_report_test.cpp tiffdump_agreement_test.cpp)
vl_win(win/tag_viewer.cpp)
vl_rc(win/tag_dialog.rc)
vl_win_test(win/tag_viewer_test.cpp)
vl_fuzz(../fuzz/tag_report_fuzz.cpp)
