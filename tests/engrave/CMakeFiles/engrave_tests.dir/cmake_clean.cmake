file(REMOVE_RECURSE
  "../../bin/engrave_tests"
  "../../bin/engrave_tests.pdb"
  "CMakeFiles/engrave_tests.dir/protocol_test.cpp.o"
  "CMakeFiles/engrave_tests.dir/protocol_test.cpp.o.d"
  "CMakeFiles/engrave_tests.dir/report_decoder_test.cpp.o"
  "CMakeFiles/engrave_tests.dir/report_decoder_test.cpp.o.d"
  "CMakeFiles/engrave_tests.dir/step_pulse_test.cpp.o"
  "CMakeFiles/engrave_tests.dir/step_pulse_test.cpp.o.d"
  "engrave_tests[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/engrave_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
