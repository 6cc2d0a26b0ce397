# Empty dependencies file for tlr_core.
# This may be replaced when dependencies are built.
