# CMake generated Testfile for 
# Source directory: /work/main/tests/engrave
# Build directory: /work/main/tests/engrave
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/main/tests/engrave/engrave_tests[1]_include.cmake")
include("/work/main/tests/engrave/engrave_handler_tests[1]_include.cmake")
