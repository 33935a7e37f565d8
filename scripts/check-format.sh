#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every C++ source of the repository is formatted as .clang-format says (Debian's clang-format).
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/check-format.sh
Runs clang-format --dry-run -Werror over every C++ source and header that git knows (test data excepted) and
fails, naming the files, when one differs from the style in .clang-format. Changes nothing; to reformat a file
run clang-format -i on it. Installs clang-format with scripts/setup.sh when it is missing."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
command -v clang-format >/dev/null || "$here/scripts/setup.sh"
bad=()
while IFS= read -r -d '' file; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(git ls-files -z '*.cpp' '*.h' ':!tests/data/**')
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format (run clang-format -i on them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check-format: every C++ file follows .clang-format"
