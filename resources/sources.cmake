vl_def(npvellarion.def)
