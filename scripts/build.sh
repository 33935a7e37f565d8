#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one build tree. Usage: build.sh DIR [--target NAME]... [extra cmake arguments]
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/build.sh DIR [--target NAME]... [CMAKE-ARGUMENT...]
Configures the build tree DIR with CMake and Ninja (passing the CMake arguments, such as
-DCMAKE_BUILD_TYPE=RelWithDebInfo) and builds it on every core, or only the named targets; it installs nothing
(scripts/setup.sh does). Compiler output is cached by ccache, so a second tree or a fresh clone builds faster."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: build.sh DIR [--target NAME]... [cmake args]}
shift
targets=()
cmake_args=()
while [ $# -gt 0 ]; do
  if [ "$1" = --target ]; then
    targets+=(--target "${2:?--target needs a name}")
    shift 2
  else
    cmake_args+=("$1")
    shift
  fi
done
# Paths below the clone are hashed relative to it, so another clone (CI's) reuses the cache.
export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=true
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$here" -B "$dir" -G Ninja "${cmake_args[@]}" >/dev/null
cmake --build "$dir" -j "$jobs" "${targets[@]}"
