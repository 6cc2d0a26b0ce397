# Empty compiler generated dependencies file for TLR64.
# This may be replaced when dependencies are built.
