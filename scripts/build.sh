#!/usr/bin/env bash
# Configures and builds one build tree. Usage: build.sh DIR [extra cmake arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: build.sh DIR [cmake args]}
shift
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$here" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$jobs"
