# Empty compiler generated dependencies file for engrave_handler_tests.
# This may be replaced when dependencies are built.
