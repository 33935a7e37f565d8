
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/engrave/protocol_test.cpp" "tests/engrave/CMakeFiles/engrave_tests.dir/protocol_test.cpp.o" "gcc" "tests/engrave/CMakeFiles/engrave_tests.dir/protocol_test.cpp.o.d"
  "/work/main/tests/engrave/report_decoder_test.cpp" "tests/engrave/CMakeFiles/engrave_tests.dir/report_decoder_test.cpp.o" "gcc" "tests/engrave/CMakeFiles/engrave_tests.dir/report_decoder_test.cpp.o.d"
  "/work/main/tests/engrave/step_pulse_test.cpp" "tests/engrave/CMakeFiles/engrave_tests.dir/step_pulse_test.cpp.o" "gcc" "tests/engrave/CMakeFiles/engrave_tests.dir/step_pulse_test.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/src/engrave/CMakeFiles/tessary_protocol.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
