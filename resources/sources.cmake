vl_rc(npvellarion.rc toolbar_art.rc)
vl_def(npvellarion.def)
