#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Windows build under wine beside the Linux build: tessary-prepare.exe under a warm wine against the Linux
tessary-prepare on the 24-megapixel JPEG, PNG and TIFF and the 12-megapixel HEICs (one picture, and a grid of
tiles), as paired runs (medians of the pairs; goal: at most 1.3 times the Linux time), then the time from
starting tessary.exe until its window "Tessary" is shown, on Xvfb under a warm wine (median; goal 1.5 s).

Usage: bench/windows_speed.py [--pictures DIR] [--build DIR] [--windows-build DIR] [--pairs N] [--starts N]
  --pictures DIR       the pictures of bench/make_pictures.sh and bench/make_format_pictures.sh
                       (default BUILD/bench-pictures; what is missing is made, a minute or two)
  --build DIR          the Linux build with bin/tessary-prepare (default ./build; scripts/build.sh build
                       -DCMAKE_BUILD_TYPE=RelWithDebInfo --target tessary-prepare --target tessary-virtual-engraver)
  --windows-build DIR  the Windows build (default ./build-windows; scripts/windows/build.sh build-windows)
  --pairs N            pairs per picture (default 15)
  --starts N           starts of tessary.exe (default 7)
Wine runs in the prefix WINDOWS-BUILD/wine-bench (scripts/windows/wine.sh), whose session is kept running;
the wine program is timed itself, without the wrapper script. When the Linux build has
tessary-virtual-engraver, the console finds it as COM1 at its start; otherwise it starts without a machine
(its "Automatic connection failed !" box comes beside the window). The table names both builds' types and
optimisation flags, and the load average: take figures when it is low."""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

from paired_runs import paired, run

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PICTURES = ["photo_24mp_6000x4000.jpg", "photo_24mp_6000x4000.png", "photo_24mp_6000x4000.tif",
            "photo12.heic", "photo12_grid.heic"]
RATIO_GOAL = 1.3
WINDOW_GOAL_S = 1.5


def build_type(build):
    """The build type of a CMake build tree and its C++ flags, as "Release (-O2 -DNDEBUG)"."""
    cache = open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8").read()
    kind = re.search(r"^CMAKE_BUILD_TYPE:\w+=(.*)$", cache, re.M).group(1)
    flags = re.search(rf"^CMAKE_CXX_FLAGS_{kind.upper()}:\w+=(.*)$", cache, re.M)
    return f"{kind} ({flags.group(1).strip() if flags else '?'})"


def wine_environment(windows_build, prefix, extra=None):
    """The environment a program of the prefix runs in and the wine program, from wine.sh, which readies the
    prefix and starts its session (on extra's DISPLAY, when given) if none runs."""
    env = dict(os.environ, **(extra or {}))
    lines = subprocess.run([os.path.join(HERE, "scripts", "windows", "wine.sh"), "--prefix", prefix,
                            "--environment"], env=env, capture_output=True, text=True, check=True).stdout
    for line in lines.splitlines():
        name, _, value = line.partition("=")
        env[name] = value
    return env, env.pop("WINE")


def ensure_pictures(pictures):
    if not os.path.exists(os.path.join(pictures, PICTURES[0])):
        print(f"making the benchmark pictures in {pictures} (about a minute)", file=sys.stderr)
        subprocess.run([os.path.join(HERE, "bench", "make_pictures.sh"), pictures], check=True,
                       stdout=subprocess.DEVNULL)
    if not all(os.path.exists(os.path.join(pictures, p)) for p in PICTURES):
        subprocess.run([os.path.join(HERE, "bench", "make_format_pictures.sh"), pictures], check=True,
                       stdout=subprocess.DEVNULL)


def prepare_table(linux, windows, pictures, pairs):
    prefix = os.path.join(windows, "wine-bench")
    env, wine = wine_environment(windows, prefix)
    exe = os.path.join(windows, "bin", "tessary-prepare.exe")
    missed = False
    print(f"{'picture':24} {'Linux s':>8} {'wine s':>8} {'ratio':>6} {'goal':>5}")
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "out.bmp")
        # Warm: the session, and the program's DLLs in the page cache.
        run([wine, exe, "--version"], None, env)
        for picture in PICTURES:
            path = os.path.join(pictures, picture)
            tw, tl, ratio, _, _ = paired([wine, exe, path, out], [os.path.join(linux, "bin", "tessary-prepare"),
                                                                 path, out], pairs, out, (env, None))
            verdict = "ok" if ratio <= RATIO_GOAL else "MISSED"
            missed |= ratio > RATIO_GOAL
            print(f"{picture:24} {tl:8.3f} {tw:8.3f} {ratio:6.2f} {RATIO_GOAL:5.1f}  {verdict}")
        tw, tl, _, difference, _ = paired([wine, exe, "--version"],
                                          [os.path.join(linux, "bin", "tessary-prepare"), "--version"],
                                          pairs, None, (env, None))
        print(f"{'(--version)':24} {tl:8.3f} {tw:8.3f}   wine's start-up and exit: {difference * 1000:+.0f} ms")
    loaded = subprocess.run([wine, exe, "--version"], env=dict(env, WINEDEBUG="+loaddll"), capture_output=True,
                            text=True, check=True).stderr
    dlls = [line for line in loaded.splitlines() if " Loaded " in line]
    ours = [line for line in dlls if ": native" in line]
    print(f"DLLs tessary-prepare.exe loads at start: {len(dlls)} ({len(ours)} of them shipped beside it)")
    return missed


class Display:
    """Xvfb on a display of its own, for as long as the object lives."""

    def __init__(self):
        read, write = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1920x1080x24",
                                        "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as numbers:
            self.name = ":" + numbers.readline().strip()

    def close(self):
        self.server.terminate()
        self.server.wait()


def window_shown(env):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tessary$"], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def close_console(console, wine, env):
    """Asks the console to close as Windows does (WM_CLOSE), then forcibly after 10 s."""
    for force in ([], ["/F"]):
        subprocess.run([wine, "taskkill"] + force + ["/IM", "tessary.exe"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            console.wait(10)
            return
        except subprocess.TimeoutExpired:
            pass
    console.kill()
    console.wait()


def window_table(linux, windows, starts):
    prefix = os.path.join(windows, "wine-bench")
    exe = os.path.join(windows, "bin", "tessary.exe")
    engraver_program = os.path.join(linux, "bin", "tessary-virtual-engraver")
    display = Display()
    engraver = None
    com1 = os.path.join(prefix, "dosdevices", "com1")
    try:
        # A session started without a display has a desktop where no window can be made: a new one, on Xvfb.
        subprocess.run([os.path.join(HERE, "scripts", "windows", "wine.sh"), "--prefix", prefix, "--stop"],
                       check=True)
        env, wine = wine_environment(windows, prefix, {"DISPLAY": display.name})
        with tempfile.TemporaryDirectory() as work:
            if os.access(engraver_program, os.X_OK):
                ports = os.path.join(work, "ports")
                engraver = subprocess.Popen([engraver_program, "--port-dir", ports, "--com", "1"],
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                for _ in range(50):
                    if os.path.exists(os.path.join(ports, "COM1")):
                        break
                    time.sleep(0.1)
                # Linked now that the session runs: a starting session removes the links of the ports the
                # prefix names empty.
                remove_link(com1)
                os.symlink(os.path.realpath(os.path.join(ports, "COM1")), com1)
                machine = "the virtual engraver on COM1"
            else:
                machine = "no machine (its information box comes too)"
            times = []
            for i in range(starts + 1):
                start = time.perf_counter()
                console = subprocess.Popen([wine, exe], env=env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
                while not window_shown(env):
                    if console.poll() is not None or time.perf_counter() - start > 30:
                        sys.exit(f"tessary.exe showed no window within 30 s (status {console.poll()})")
                    time.sleep(0.01)
                if i > 0:  # the first start warms the page cache for Qt's DLLs
                    times.append(time.perf_counter() - start)
                close_console(console, wine, env)
        shown = statistics.median(times)
        verdict = "ok" if shown <= WINDOW_GOAL_S else "MISSED"
        print(f"tessary.exe's window shown {shown:.2f} s after its start (median of {starts}, "
              f"{min(times):.2f}..{max(times):.2f}; {machine}; goal {WINDOW_GOAL_S} s)  {verdict}")
        return shown > WINDOW_GOAL_S
    finally:
        remove_link(com1)
        if engraver:
            engraver.terminate()
            engraver.wait()
        # The session must not outlive its display.
        subprocess.run([os.path.join(HERE, "scripts", "windows", "wine.sh"), "--prefix", prefix, "--stop"])
        display.close()


def remove_link(path):
    if os.path.islink(path):
        os.unlink(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0], usage=__doc__.split("\n\n")[1],
                                     formatter_class=argparse.RawDescriptionHelpFormatter, add_help=False)
    parser.add_argument("-h", "--help", action="store_true")
    parser.add_argument("--pictures")
    parser.add_argument("--build", default=os.path.join(HERE, "build"))
    parser.add_argument("--windows-build", default=os.path.join(HERE, "build-windows"))
    parser.add_argument("--pairs", type=int, default=15)
    parser.add_argument("--starts", type=int, default=7)
    args = parser.parse_args()
    if args.help:
        print(__doc__)
        return 0
    linux, windows = os.path.abspath(args.build), os.path.abspath(args.windows_build)
    for program in (os.path.join(linux, "bin", "tessary-prepare"),
                    os.path.join(windows, "bin", "tessary-prepare.exe"), os.path.join(windows, "bin", "tessary.exe")):
        if not os.path.exists(program):
            sys.exit(f"missing {program}: see --help for the builds")
    pictures = os.path.abspath(args.pictures or os.path.join(linux, "bench-pictures"))
    ensure_pictures(pictures)
    print(f"tessary-prepare.exe under wine against tessary-prepare on Linux: paired runs, medians of "
          f"{args.pairs} pairs (load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores)")
    print(f"Linux build: {build_type(linux)}; Windows build: {build_type(windows)}")
    missed = prepare_table(linux, windows, pictures, args.pairs)
    missed |= window_table(linux, windows, args.starts)
    print(f"load average at the end: {os.getloadavg()[0]:.1f}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
