#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer and the portable archive, made on Linux.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/windows/package.sh [DIR]
Builds the Windows programs into DIR (default: build-windows in this clone) with scripts/windows/build.sh, then
makes with CPack, into DIR/packages:
  tessary-VERSION-win64-setup.exe  the installer (NSIS): per machine into Program Files\\Tessary when run as an
                                   administrator, else (or with /CurrentUser) per user into
                                   %LOCALAPPDATA%\\Programs\\Tessary; a Start-menu shortcut, \"Open with
                                   Tessary\" for the pictures it takes in, an uninstaller in Apps & features;
                                   /S installs and uninstalls silently
  tessary-VERSION-win64.zip        the same files in one folder, to run from anywhere
and prints their sizes. Needs Debian's nsis (installed when missing). The installer's tests under wine:
ctest --test-dir DIR -L windows-package."
  exit 0
fi
here=$(cd "$(dirname "$0")/../.." && pwd)
dir=${1:-$here/build-windows}
"$here/scripts/windows/build.sh" "$dir" --target tessary --target tessary-prepare --target tessary-heif \
  --target tessary-render
dir=$(cd "$dir" && pwd)
(cd "$dir" && cpack -G "NSIS;ZIP" -B "$dir/packages" >"$dir/packages.log" 2>&1) || {
  cat "$dir/packages.log" >&2
  echo "tessary: CPack could not make the packages (its output is above)" >&2
  exit 1
}
for package in "$dir"/packages/tessary-*-win64-setup.exe "$dir"/packages/tessary-*-win64.zip; do
  [ -f "$package" ] || {
    echo "tessary: CPack made no $(basename "$package")" >&2
    exit 1
  }
  printf '%s  %s MiB\n' "$package" "$(awk -v b="$(stat -c %s "$package")" 'BEGIN { printf "%.1f", b / 1048576 }')"
done
