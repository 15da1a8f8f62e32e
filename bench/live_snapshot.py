#!/usr/bin/env python3
"""A full snapshot of this Linux machine by tov (no TOV_MACHINE: the live
machine, every collector) side by side with `lshw -json` on the same machine,
in alternating rounds; prints the median wall-clock and CPU times of each and
their ratios (tov / lshw). The target is a wall-clock ratio of at most 0.5.

    python3 bench/live_snapshot.py build/linux/app/tov [rounds]
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time


def timed(command, **kw):
    """Wall-clock and CPU (user + system) seconds of one run of `command`."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        sys.exit("%s ended with status %d" % (command[0], done.returncode))
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    tov = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    env = {k: v for k, v in os.environ.items() if k not in ("TOV_MACHINE", "TOV_LIVE_ROOT")}
    times = {"tov": [], "lshw": []}
    with tempfile.TemporaryDirectory(prefix="tov-bench-") as folder:
        for _ in range(rounds):
            times["tov"].append(timed([tov, "snapshot.dat"], cwd=folder, env=env))
            times["lshw"].append(timed(["lshw", "-json"]))
        size = os.path.getsize(os.path.join(folder, "snapshot.dat"))
    print("%d rounds; tov's report: %d bytes" % (rounds, size))
    medians = {}
    for name, runs in times.items():
        medians[name] = (statistics.median(w for w, _ in runs), statistics.median(c for _, c in runs))
        print("%-5s wall %7.1f ms   cpu %7.1f ms" % (name, medians[name][0] * 1000, medians[name][1] * 1000))
    print("ratio wall %.2f   cpu %.2f   (tov / lshw; target: wall <= 0.5)" % (
        medians["tov"][0] / medians["lshw"][0], medians["tov"][1] / medians["lshw"][1]))


if __name__ == "__main__":
    main()
