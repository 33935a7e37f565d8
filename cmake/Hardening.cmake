# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian builds its packages with: position-independent executables, stack protector,
# fortified libc calls (they need optimisation, so not in Debug) and a read-only relocation table bound at
# start.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
if(WIN32)
  # The PE linker's counterparts: address space layout randomisation (64-bit, relocatable) and no-execute
  # data.
  add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
  # The stack protector's runtime without libssp's DLL, whose start costs more than all our other DLLs: the
  # guard of our own in every program and module (taken before any other library could offer it), libssp's
  # checked string functions from its static library at the end of every link.
  add_library(tessary_stack_guard STATIC ${PROJECT_SOURCE_DIR}/src/platform/win32/stack_guard.cpp)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/src/platform/win32/stack_guard.cpp PROPERTIES
                              COMPILE_OPTIONS -fno-stack-protector)
  target_link_libraries(tessary_stack_guard PRIVATE tessary_windows_defines)
  link_libraries(tessary_stack_guard)
  add_link_options(-Wl,--undefined=__stack_chk_guard)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libssp.a OUTPUT_VARIABLE TESSARY_SSP_STATIC
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " ${TESSARY_SSP_STATIC}")
  string(APPEND CMAKE_C_STANDARD_LIBRARIES " ${TESSARY_SSP_STATIC}")
else()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
