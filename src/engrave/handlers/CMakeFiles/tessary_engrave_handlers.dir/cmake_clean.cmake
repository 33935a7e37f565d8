file(REMOVE_RECURSE
  "CMakeFiles/tessary_engrave_handlers.dir/image_upload.cpp.o"
  "CMakeFiles/tessary_engrave_handlers.dir/image_upload.cpp.o.d"
  "CMakeFiles/tessary_engrave_handlers.dir/machine_commands.cpp.o"
  "CMakeFiles/tessary_engrave_handlers.dir/machine_commands.cpp.o.d"
  "CMakeFiles/tessary_engrave_handlers.dir/machine_port.cpp.o"
  "CMakeFiles/tessary_engrave_handlers.dir/machine_port.cpp.o.d"
  "CMakeFiles/tessary_engrave_handlers.dir/position_report.cpp.o"
  "CMakeFiles/tessary_engrave_handlers.dir/position_report.cpp.o.d"
  "CMakeFiles/tessary_engrave_handlers.dir/register.cpp.o"
  "CMakeFiles/tessary_engrave_handlers.dir/register.cpp.o.d"
  "libtessary_engrave_handlers.a"
  "libtessary_engrave_handlers.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/tessary_engrave_handlers.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
