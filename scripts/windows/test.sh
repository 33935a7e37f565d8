#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build's tests: builds it, runs every test program under wine and says how many tests ran, how many
# are Linux-only and whether every other Linux test ran on Windows too.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/windows/test.sh [DIR]
Builds DIR (default: build-windows) with scripts/windows/build.sh, checks that scripts/windows/sdk.sh pins the
versions of the SDK in use (its VERSIONS.txt), then runs its tests with CTest under wine
(scripts/windows/wine.sh gives them a wine prefix of their own, DIR/wine, that reaches no serial port of this
machine), all but those labelled linux-only-WHY, then starts the console itself on a virtual display with the
virtual engraver as COM1 (scripts/windows/smoke.sh). Prints how many tests ran and passed. When the Linux build tree build/ is there (scripts/test.sh made it), it
also prints how many of its tests are Linux-only and fails when a Linux test that is not labelled so did not run
on Windows, or when fewer than 90 % of the Linux tests ran. About 5 minutes once the build is warm."
  exit 0
fi
here=$(cd "$(dirname "$0")/../.." && pwd)
dir=${1:-$here/build-windows}
dir=$(mkdir -p "$dir" && cd "$dir" && pwd)
"$here/scripts/windows/build.sh" "$dir"
jobs=$(nproc 2>/dev/null || echo 2)

status=0
# The recipe that makes the SDK must pin what the SDK in use was made of.
source "$here/scripts/windows/common.sh"
"$here/scripts/windows/sdk.sh" --check-versions "$(windows_sdk)/VERSIONS.txt" || status=1
log=$dir/Testing/windows-tests.log
mkdir -p "$dir/Testing"
echo "== tests under wine =="
ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600 -LE '^linux-only' 2>&1 | tee "$log" ||
  status=1
echo "== the console under wine on a virtual display =="
"$here/scripts/windows/smoke.sh" "$dir" || status=1

# Which tests ran here, and which the Linux build has, each with its labels.
windows_list=$(mktemp)
linux_list=$(mktemp)
trap 'rm -f "$windows_list" "$linux_list"' EXIT
test_names() {
  ctest --test-dir "$1" --show-only=json-v1 "${@:2}" | python3 -c '
import json, sys
for t in json.load(sys.stdin)["tests"]:
    labels = [p["value"] for p in t.get("properties", []) if p["name"] == "LABELS"]
    print(t["name"] + "\t" + ";".join(labels[0] if labels else []))'
}
test_names "$dir" -LE '^linux-only' >"$windows_list"
ran=$(wc -l <"$windows_list")
passed=$(awk '/tests passed, .* tests failed out of/ { print $4 }' "$log" | tail -1)
echo "== Windows tests: $ran ran under wine, ${passed:-?} of them failed =="
linux=$here/build
if [ -f "$linux/CTestTestfile.cmake" ]; then
  test_names "$linux" >"$linux_list"
  python3 - "$windows_list" "$linux_list" <<'EOF' || status=1
import sys
windows = {line.split("\t")[0] for line in open(sys.argv[1]) if line.strip()}
linux = dict(line.rstrip("\n").split("\t") for line in open(sys.argv[2]) if line.strip())
only = {name for name, labels in linux.items() if any(l.startswith("linux-only") for l in labels.split(";"))}
missing = sorted(set(linux) - windows - only)
share = len(set(linux) & windows) / len(linux)
print(f"== Linux tests: {len(linux)}, of which {len(only)} Linux-only (labelled), "
      f"{len(set(linux) & windows)} also ran under wine ({share:.0%}) ==")
for name in missing:
    print(f"not run on Windows and not labelled linux-only: {name}")
if missing or share < 0.9:
    sys.exit(1)
EOF
else
  echo "== no Linux build tree in $linux: the Linux-only count needs scripts/test.sh first =="
fi
"$here/scripts/windows/wine.sh" --prefix "$dir/wine" --stop
exit $status
