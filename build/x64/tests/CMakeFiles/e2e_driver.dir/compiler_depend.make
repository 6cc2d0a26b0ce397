# Empty compiler generated dependencies file for e2e_driver.
# This may be replaced when dependencies are built.
