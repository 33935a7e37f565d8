#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Tessary for 64-bit Windows with the Windows SDK (mingw-w64 and the libraries built for it).
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/windows/build.sh [DIR] [--target NAME]... [CMAKE-ARGUMENT...]
Installs the missing Debian packages (mingw-w64, the host Qt 6 tools, wine, Xvfb and a font with full-width
punctuation; through sudo when not root), unpacks the Windows SDK and cross-builds tessary.exe,
tessary-prepare.exe and the tests into DIR (default: build-windows in this clone), Release unless
-DCMAKE_BUILD_TYPE says otherwise. Every program in DIR/bin gets the DLLs and Qt plugins it needs beside it,
so the folder runs as it is (on Windows, or here with scripts/windows/wine.sh).

The SDK is the tarball tessary-winsdk-*.tar.xz with its .sha256 beside it, taken from TESSARY_WINDOWS_SDK
(the tarball or its folder), else from ../shared/windows beside the clone. It is checked against its sha256
and unpacked once into \${XDG_CACHE_HOME:-~/.cache}/tessary/winsdk/SHA256/. scripts/windows/sdk.sh builds
the same SDK from Debian's source packages.

Run the tests under wine with: ctest --test-dir DIR (or scripts/windows/test.sh, which also builds)."
  exit 0
fi
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/scripts/windows/common.sh"

dir="$here/build-windows"
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
  dir=$1
  shift
fi
windows_install_packages
sdk=$(windows_sdk)
echo "tessary: Windows SDK $sdk" >&2
# Release at the Linux build's optimisation level (-O2, whose warnings the code is clean of) and no benchmarks
# unless asked for, and the Linux build's virtual engraver for the job test: the defaults go first, so that
# arguments given override them.
"$here/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" \
  "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DTESSARY_BENCH=OFF \
  -DTESSARY_LINUX_VIRTUAL_ENGRAVER="$here/build/bin/tessary-virtual-engraver" \
  -DCMAKE_TOOLCHAIN_FILE="$sdk/toolchain-x86_64-w64-mingw32.cmake" "$@"
