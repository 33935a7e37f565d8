# SPDX-License-Identifier: GPL-3.0-or-later
"""Whole-process timing for the bench scripts: one run's wall and CPU time, and paired runs of two commands,
each pair run back to back in alternating order so that a change of the machine's load hits both alike."""
import os
import statistics
import sys
import time


def remove(path):
    if path:
        try:
            os.unlink(path)
        except FileNotFoundError:
            pass


def run(argv, out=None, env=None):
    """Wall and CPU (user + system) seconds of one run, output discarded; out is removed first."""
    remove(out)
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        pid = os.posix_spawn(argv[0], argv, os.environ if env is None else env, file_actions=[
            (os.POSIX_SPAWN_DUP2, null.fileno(), 1), (os.POSIX_SPAWN_DUP2, null.fileno(), 2)])
        _, status, usage = os.wait4(pid, 0)
        seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: " + " ".join(argv))
    return seconds, usage.ru_utime + usage.ru_stime


def paired(a, b, pairs, out=None, envs=(None, None)):
    """Medians over the pairs: a's and b's wall times, the ratios and differences of the wall times, the
    ratio of the CPU times. envs holds the environments of a and b (None: this one's)."""
    def run_a():
        return run(a, out, envs[0])

    def run_b():
        return run(b, out, envs[1])

    for _ in range(2):
        run_a(), run_b()
    ra, rb = [], []
    for i in range(pairs):
        if i % 2 == 0:
            ra.append(run_a())
            rb.append(run_b())
        else:
            rb.append(run_b())
            ra.append(run_a())
    med = statistics.median
    return (med(x[0] for x in ra), med(y[0] for y in rb), med(x[0] / y[0] for x, y in zip(ra, rb)),
            med(x[0] - y[0] for x, y in zip(ra, rb)), med(x[1] / y[1] for x, y in zip(ra, rb)))
