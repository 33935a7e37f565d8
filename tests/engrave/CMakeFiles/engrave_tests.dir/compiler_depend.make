# Empty compiler generated dependencies file for engrave_tests.
# This may be replaced when dependencies are built.
