vl_rc(npvellarion.rc)
vl_def(npvellarion.def)
