#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Tessary twice (normal, and with AddressSanitizer + UBSan) and runs
# every test of both builds with CTest.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/test.sh
Installs the missing Debian packages (scripts/setup.sh), builds build/ (RelWithDebInfo) and build-asan/
(AddressSanitizer and UBSan) and runs every test of both with CTest; the test pictures come from tests/data.
With TESSARY_PACKAGE_TEST=ON (or CI=true) it also builds the Debian package, installs it into this machine,
tries it and purges it (root or password-less sudo). On 2 cores it takes 20 to 35 minutes and 1 GB of disk the
first time, about 8 minutes once ccache is warm."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
jobs=$(nproc 2>/dev/null || echo 2)

# The package test installs the Debian package into this machine and removes it again, so it runs only when
# asked for (TESSARY_PACKAGE_TEST=ON, as .ci/run does, or CI=true).
package_test=OFF
if [ "${TESSARY_PACKAGE_TEST:-}" = ON ] || [ "${CI:-}" = true ]; then package_test=ON; fi

"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_PACKAGE_TEST=$package_test
"$here/scripts/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON -DTESSARY_BENCH=OFF

export QT_QPA_PLATFORM=offscreen
status=0
echo "== tests (RelWithDebInfo) =="
ctest --test-dir "$here/build" --output-on-failure -j "$jobs" -LE package || status=1
echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer) =="
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/tests/lsan.supp:print_suppressions=0} \
  ctest --test-dir "$here/build-asan" --output-on-failure -j "$jobs" || status=1
if [ "$package_test" = ON ]; then
  echo "== package test (builds, installs, runs and purges the Debian package) =="
  ctest --test-dir "$here/build" --output-on-failure -L package || status=1
fi
exit $status
