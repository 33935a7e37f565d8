#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every benchmark: the Google Benchmark programs (bitmap, decoders, intake) on the benchmark
# pictures, then the timed programs of the serial link and of the position report.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/bench.sh [GOOGLE-BENCHMARK-OPTION...]
Installs the missing Debian packages (scripts/setup.sh, with ImageMagick for the pictures), builds the
benchmark programs in build/ (RelWithDebInfo), makes the benchmark pictures once in build/bench-pictures
(about 150 MB and a minute; or set TESSARY_BENCH_PICTURES to a folder holding them) and runs bench_image,
bench_decode and bench_intake (passing the options, such as --benchmark_filter=Jpeg), then
link_delivery_bench and engrave_report_bench. Takes about 5 minutes after the build; whole-process
comparisons with other tools are bench/compare.sh."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
"$here/scripts/setup.sh" imagemagick
programs=(bench_image bench_decode bench_intake link_delivery_bench engrave_report_bench)
targets=()
for p in "${programs[@]}"; do targets+=(--target "$p"); done
"$here/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_BENCH=ON "${targets[@]}"

pictures=${TESSARY_BENCH_PICTURES:-$build/bench-pictures}
if [ ! -f "$pictures/photo_24mp_6000x4000.tif" ]; then
  echo "bench: making the benchmark pictures in $pictures (about a minute)"
  "$here/bench/make_pictures.sh" "$pictures" >/dev/null
fi
export TESSARY_BENCH_PICTURES=$pictures QT_QPA_PLATFORM=offscreen
status=0
for p in bench_image bench_decode bench_intake; do
  echo "== $p =="
  "$build/bin/$p" "$@" || status=1
done
for p in link_delivery_bench engrave_report_bench; do
  echo "== $p =="
  "$build/bin/$p" || status=1
done
exit $status
