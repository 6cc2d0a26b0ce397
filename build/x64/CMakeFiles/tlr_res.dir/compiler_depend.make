# Empty compiler generated dependencies file for tlr_res.
# This may be replaced when dependencies are built.
