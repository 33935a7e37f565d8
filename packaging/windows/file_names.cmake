# SPDX-License-Identifier: GPL-3.0-or-later
# Read by CPack for each generator: tessary-VERSION-win64-setup.exe and tessary-VERSION-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "tessary-${CPACK_PACKAGE_VERSION}-win64-setup")
else()
  set(CPACK_PACKAGE_FILE_NAME "tessary-${CPACK_PACKAGE_VERSION}-win64")
endif()
