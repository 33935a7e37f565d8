
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/app/window_test_main.cpp" "tests/engrave/CMakeFiles/engrave_handler_tests.dir/__/app/window_test_main.cpp.o" "gcc" "tests/engrave/CMakeFiles/engrave_handler_tests.dir/__/app/window_test_main.cpp.o.d"
  "/work/main/tests/engrave/handlers_commands_test.cpp" "tests/engrave/CMakeFiles/engrave_handler_tests.dir/handlers_commands_test.cpp.o" "gcc" "tests/engrave/CMakeFiles/engrave_handler_tests.dir/handlers_commands_test.cpp.o.d"
  "/work/main/tests/engrave/handlers_fixture.cpp" "tests/engrave/CMakeFiles/engrave_handler_tests.dir/handlers_fixture.cpp.o" "gcc" "tests/engrave/CMakeFiles/engrave_handler_tests.dir/handlers_fixture.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/DependInfo.cmake"
  "/work/main/src/app/CMakeFiles/tessary_program_parts.dir/DependInfo.cmake"
  "/work/main/src/app/qt/CMakeFiles/tessary_qt.dir/DependInfo.cmake"
  "/work/main/src/app/definitions/CMakeFiles/tessary_definitions.dir/DependInfo.cmake"
  "/work/main/src/engrave/CMakeFiles/tessary_protocol.dir/DependInfo.cmake"
  "/work/main/src/link/CMakeFiles/tessary_link_handlers.dir/DependInfo.cmake"
  "/work/main/src/link/CMakeFiles/tessary_link.dir/DependInfo.cmake"
  "/work/main/src/image/handlers/CMakeFiles/tessary_image_handlers.dir/DependInfo.cmake"
  "/work/main/src/app/shell/CMakeFiles/tessary_shell.dir/DependInfo.cmake"
  "/work/main/src/image/handlers/CMakeFiles/tessary_intake.dir/DependInfo.cmake"
  "/work/main/src/image/CMakeFiles/tessary_image.dir/DependInfo.cmake"
  "/work/main/src/image/decode/CMakeFiles/tessary_decode.dir/DependInfo.cmake"
  "/work/main/src/app/CMakeFiles/tessary_console.dir/DependInfo.cmake"
  "/work/main/src/app/model/CMakeFiles/tessary_model.dir/DependInfo.cmake"
  "/work/main/resources/CMakeFiles/tessary_resources.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
