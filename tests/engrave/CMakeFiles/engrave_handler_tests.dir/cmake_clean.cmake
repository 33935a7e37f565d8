file(REMOVE_RECURSE
  "../../bin/engrave_handler_tests"
  "../../bin/engrave_handler_tests.pdb"
  "CMakeFiles/engrave_handler_tests.dir/__/app/window_test_main.cpp.o"
  "CMakeFiles/engrave_handler_tests.dir/__/app/window_test_main.cpp.o.d"
  "CMakeFiles/engrave_handler_tests.dir/handlers_commands_test.cpp.o"
  "CMakeFiles/engrave_handler_tests.dir/handlers_commands_test.cpp.o.d"
  "CMakeFiles/engrave_handler_tests.dir/handlers_fixture.cpp.o"
  "CMakeFiles/engrave_handler_tests.dir/handlers_fixture.cpp.o.d"
  "engrave_handler_tests[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/engrave_handler_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
