#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times tessary-prepare against the floor program (bench/image/intake_floor.cpp) on the 24-megapixel JPEG, PNG
and TIFF, and `tessary-prepare --help` against a plain C program, as paired runs: each pair runs both
programs back to back (in alternating order), and the table gives the medians over the pairs.

Usage: bench/prepare_floor.py [PICTURE_DIR] [BUILD_DIR]
  PICTURE_DIR  the pictures of bench/make_pictures.sh (default BUILD_DIR/bench-pictures, made when missing)
  BUILD_DIR    a build with tessary-prepare, intake_floor and plain_c_help in bin/ (default ./build)
PAIRS (default 21) sets the number of pairs per row."""
import os
import subprocess
import sys
import tempfile

from paired_runs import paired, remove

GOALS = [  # picture, floor mode, goal for prepare / floor
    ("photo_24mp_6000x4000.jpg", "jpeg", 1.0),
    ("photo_24mp_6000x4000.png", "png", 0.75),
    ("photo_24mp_6000x4000.tif", "tiff", 0.4),
]
HELP_GOAL_MS = 5.0
PEAK_GOAL_MIB = 13.0


def peak_mib(argv, out=None):
    """Peak resident MiB of one run, measured by /usr/bin/time: a child of this script would count the
    script's own memory, which its first exec carries over."""
    remove(out)
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + argv, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return int(report.read().split()[-1]) / 1024.0


def main():
    if len(sys.argv) > 1 and sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    build = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "build"))
    pictures = sys.argv[1] if len(sys.argv) > 1 else os.path.join(build, "bench-pictures")
    pairs = int(os.environ.get("PAIRS", "21"))
    prepare, floor, plain = (os.path.join(build, "bin", p) for p in ("tessary-prepare", "intake_floor", "plain_c_help"))
    for program in (prepare, floor, plain):
        if not os.access(program, os.X_OK):
            sys.exit(f"missing {program}: cmake --build {build} --target tessary-prepare intake_floor plain_c_help")
    if not os.path.exists(os.path.join(pictures, GOALS[0][0])):
        print(f"making the benchmark pictures in {pictures} (about a minute)", file=sys.stderr)
        subprocess.run([os.path.join(here, "bench", "make_pictures.sh"), pictures], check=True,
                       stdout=subprocess.DEVNULL)

    print(f"tessary-prepare against its floor: paired runs, medians of {pairs} pairs "
          f"(load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores)")
    print(f"{'':26} {'prepare s':>9} {'floor s':>8} {'ratio':>6} {'goal':>5} {'cpu ratio':>9} "
          f"{'peak MiB':>8} {'goal':>5}")
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "out.bmp")
        for picture, mode, goal in GOALS:
            path = os.path.join(pictures, picture)
            tp, tf, ratio, _, cpu = paired([prepare, path, out], [floor, mode, path], pairs, out)
            peak = peak_mib([prepare, path, out], out)
            verdict = "ok" if ratio <= goal and peak < PEAK_GOAL_MIB else "MISSED"
            print(f"{picture:26} {tp:9.4f} {tf:8.4f} {ratio:6.2f} {goal:5.2f} {cpu:9.2f} {peak:8.1f} "
                  f"{PEAK_GOAL_MIB:5.1f}  {verdict}")
        tp, tc, _, difference, cpu = paired([prepare, "--help"], [plain], pairs * 3)
        verdict = "ok" if difference * 1000 <= HELP_GOAL_MS else "MISSED"
        print(f"--help: tessary-prepare {tp * 1000:.2f} ms, a plain C program {tc * 1000:.2f} ms: "
              f"{difference * 1000:+.2f} ms (goal +{HELP_GOAL_MS:.0f} ms; CPU time {cpu:.1f}x), "
              f"peak {peak_mib([prepare, '--help']):.1f} MiB against {peak_mib([plain]):.1f} MiB  {verdict}")
    libraries = subprocess.run(["ldd", prepare], capture_output=True, text=True, check=True).stdout
    print(f"shared libraries tessary-prepare loads at start (ldd): {len(libraries.splitlines())}")


if __name__ == "__main__":
    main()
