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

# The DLLs come from the SDK and from the compiler's own runtime folder (where its libssp-0.dll is).
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libssp-0.dll
                OUTPUT_VARIABLE TESSARY_RUNTIME_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(TESSARY_COMPILER_RUNTIME_DIR ${TESSARY_RUNTIME_DLL} DIRECTORY)
find_program(TESSARY_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)

# The DLLs and Qt plugins a program needs are worked out in one place, cmake/windows/deploy.cmake, for the
# build tree and for installation alike: the DLLs it imports that the SDK (or the compiler) holds, following
# their imports, and for programs on Qt Gui the plugins Qt loads at run time.
set(TESSARY_DEPLOY_SEARCH "${WINSDK_PREFIX}/bin;${TESSARY_COMPILER_RUNTIME_DIR}")

# Copies beside every given program in the build tree what it loads, once they are all linked.
function(tessary_windows_deploy)
  set(programs)
  foreach(target ${ARGN})
    list(APPEND programs $<TARGET_FILE:${target}>)
  endforeach()
  add_custom_target(tessary-windows-deploy ALL
    # Each list in a quoted argument of its own: there its semicolons keep it one argument.
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${TESSARY_OBJDUMP} "-DSEARCH=${TESSARY_DEPLOY_SEARCH}"
            -DPLUGINS=${WINSDK_PREFIX}/plugins "-DPROGRAMS=${programs}"
            -P ${PROJECT_SOURCE_DIR}/cmake/windows/deploy.cmake
    DEPENDS ${ARGN} ${PROJECT_SOURCE_DIR}/cmake/windows/deploy.cmake
    COMMENT "Copying the DLLs and Qt plugins beside the programs" VERBATIM)
endfunction()

# What an installed console needs of Qt's plugins: the Windows platform, the style it draws with, and the JPEG
# reader for the Setting window's picture (everything else it reads with decoders of its own).
set(TESSARY_INSTALLED_QT_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll)

# tessary_windows_install_runtime(DESTINATION DIR TARGETS PROGRAM...): installs the programs into DIR (below the
# installation prefix) with the DLLs and Qt plugins they load beside them, as in the build tree.
function(tessary_windows_install_runtime)
  cmake_parse_arguments(ARG "" "DESTINATION" "TARGETS" ${ARGN})
  install(TARGETS ${ARG_TARGETS} RUNTIME DESTINATION ${ARG_DESTINATION} LIBRARY DESTINATION ${ARG_DESTINATION})
  set(programs)
  foreach(target ${ARG_TARGETS})
    list(APPEND programs "\${prefix}/${ARG_DESTINATION}/$<TARGET_FILE_NAME:${target}>")
  endforeach()
  # Lists go into the install script as they are: inside a quoted argument their semicolons stay one argument.
  install(CODE "
    set(prefix \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    execute_process(COMMAND \"${CMAKE_COMMAND}\" -DOBJDUMP=${TESSARY_OBJDUMP} \"-DSEARCH=${TESSARY_DEPLOY_SEARCH}\"
                            -DPLUGINS=${WINSDK_PREFIX}/plugins \"-DPROGRAMS=${programs}\"
                            \"-DGUI_PLUGINS=${TESSARY_INSTALLED_QT_PLUGINS}\"
                            -P \"${PROJECT_SOURCE_DIR}/cmake/windows/deploy.cmake\" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"the DLLs and Qt plugins of the programs could not be installed\")
    endif()")
endfunction()

# tessary_windows_resources(TARGET DESCRIPTION [ICON]): the program's version information, its manifest (Windows
# 10 and later, long paths, no elevation) and, with ICON, the program icon (resources/icon.ico).
enable_language(RC)
function(tessary_windows_resources target description)
  set(TESSARY_RC_NAME ${target})
  set(TESSARY_RC_DESCRIPTION ${description})
  set(TESSARY_RC_MANIFEST ${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest)
  set(TESSARY_RC_ICON "")
  if(ARGV2 STREQUAL "ICON")
    set(TESSARY_RC_ICON "1 ICON \"${PROJECT_SOURCE_DIR}/resources/icon.ico\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest
                                                            ${PROJECT_SOURCE_DIR}/resources/icon.ico)
endfunction()

# Every program and module (a DLL of ours that programs open) built by default below a folder, from the top.
function(tessary_executables_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  set(found)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(excluded ${target} EXCLUDE_FROM_ALL)
    if((type STREQUAL "EXECUTABLE" OR type STREQUAL "MODULE_LIBRARY") AND NOT excluded)
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
