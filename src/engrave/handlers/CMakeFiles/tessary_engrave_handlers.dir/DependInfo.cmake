
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/src/engrave/handlers/image_upload.cpp" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/image_upload.cpp.o" "gcc" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/image_upload.cpp.o.d"
  "/work/main/src/engrave/handlers/machine_commands.cpp" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/machine_commands.cpp.o" "gcc" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/machine_commands.cpp.o.d"
  "/work/main/src/engrave/handlers/machine_port.cpp" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/machine_port.cpp.o" "gcc" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/machine_port.cpp.o.d"
  "/work/main/src/engrave/handlers/position_report.cpp" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/position_report.cpp.o" "gcc" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/position_report.cpp.o.d"
  "/work/main/src/engrave/handlers/register.cpp" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/register.cpp.o" "gcc" "src/engrave/handlers/CMakeFiles/tessary_engrave_handlers.dir/register.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/src/engrave/CMakeFiles/tessary_protocol.dir/DependInfo.cmake"
  "/work/main/src/app/CMakeFiles/tessary_console.dir/DependInfo.cmake"
  "/work/main/src/app/shell/CMakeFiles/tessary_shell.dir/DependInfo.cmake"
  "/work/main/src/link/CMakeFiles/tessary_link.dir/DependInfo.cmake"
  "/work/main/src/image/CMakeFiles/tessary_image.dir/DependInfo.cmake"
  "/work/main/src/image/handlers/CMakeFiles/tessary_intake.dir/DependInfo.cmake"
  "/work/main/resources/CMakeFiles/tessary_resources.dir/DependInfo.cmake"
  "/work/main/src/app/definitions/CMakeFiles/tessary_definitions.dir/DependInfo.cmake"
  "/work/main/src/app/model/CMakeFiles/tessary_model.dir/DependInfo.cmake"
  "/work/main/src/image/decode/CMakeFiles/tessary_decode.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
