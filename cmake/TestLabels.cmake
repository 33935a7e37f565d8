# SPDX-License-Identifier: GPL-3.0-or-later
# tessary_label_tests(LABEL TEST...): gives tests of this folder a label, also tests that gtest_discover_tests
# finds only when CTest runs (call it after gtest_discover_tests). Used for the "linux-only-WHY" labels of
# test cases that the Windows build does not have.
function(tessary_label_tests label)
  string(MAKE_C_IDENTIFIER "${label}" name)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/labels_${name}.cmake)
  set(content "")
  foreach(test ${ARGN})
    string(APPEND content "set_tests_properties(\"${test}\" PROPERTIES LABELS \"${label}\")\n")
  endforeach()
  file(WRITE ${script} "${content}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
