# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build (cross-compiled with the Windows SDK's toolchain file): test programs run under wine
# through scripts/windows/wine.sh, which keeps a wine prefix of this build tree's own, and every program in
# bin/ gets the DLLs and Qt plugins it needs copied beside it.

# 64-bit file offsets for fseeko/ftello and off_t in the C runtime.
add_compile_definitions(_FILE_OFFSET_BITS=64)

# The wrapper, not wine itself: it gives the tests a prefix that cannot reach this machine's serial ports.
set(TESSARY_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "The wine prefix the Windows tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/windows/wine.sh --prefix ${TESSARY_WINE_PREFIX}
    --path ${WINSDK_PREFIX}/bin --offscreen)

# Test discovery runs the programs under wine, after the build has put their DLLs and plugins beside them.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# The DLLs come from the SDK and from the compiler's own runtime folder (libssp for the stack protector).
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libssp-0.dll
                OUTPUT_VARIABLE TESSARY_SSP_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(TESSARY_COMPILER_RUNTIME_DIR ${TESSARY_SSP_DLL} DIRECTORY)
find_program(TESSARY_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)

# Copies into bin/ what the given programs load: the DLLs they import (and those import), and for programs
# on Qt Gui the platform, style and picture plugins, in the folders where Qt looks for them beside the
# program. Runs once every program is linked.
function(tessary_windows_deploy)
  set(programs)
  foreach(target ${ARGN})
    list(APPEND programs $<TARGET_FILE:${target}>)
  endforeach()
  add_custom_target(tessary-windows-deploy ALL
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${TESSARY_OBJDUMP} "-DSEARCH=${WINSDK_PREFIX}/bin;${TESSARY_COMPILER_RUNTIME_DIR}"
            -DPLUGINS=${WINSDK_PREFIX}/plugins "-DPROGRAMS=${programs}"
            -P ${PROJECT_SOURCE_DIR}/cmake/windows_deploy.cmake
    DEPENDS ${ARGN} ${PROJECT_SOURCE_DIR}/cmake/windows_deploy.cmake
    COMMENT "Copying the DLLs and Qt plugins beside the programs" VERBATIM)
endfunction()

# Every executable target built by default below a folder (the programs of the whole build, from the top).
function(tessary_executables_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  set(found)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(excluded ${target} EXCLUDE_FROM_ALL)
    if(type STREQUAL "EXECUTABLE" AND NOT excluded)
      list(APPEND found ${target})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    tessary_executables_below(${subdir} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()
