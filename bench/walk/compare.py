#!/usr/bin/env python3
"""Times the scanner against other walkers on one folder, interleaved, warm cache.

Usage: compare.py RUNS ROOT NAME=COMMAND... (the first NAME is the reference for ratios; the
folder is appended to each COMMAND). Each round runs every tool once, in a rotating order, so
that load from other processes falls on all of them alike; a ratio is the median over the rounds
of (tool's time / reference's time in the same round). Peak memory is the tool's maxrss as GNU
time reports it (a small process of its own, so the figure is not this script's).
"""
import os, shlex, statistics, subprocess, sys, tempfile, time

runs, root = int(sys.argv[1]), sys.argv[2]
tools = [(n, shlex.split(c) + [root]) for n, c in (a.split("=", 1) for a in sys.argv[3:])]


report = tempfile.NamedTemporaryFile(prefix="scanbench-", suffix=".txt")


def run(cmd):
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-o", report.name, "-f", "%M"] + cmd,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    with open(report.name) as f:
        return wall, int(f.read().split()[-1])


for _, cmd in tools:  # warm the cache and every program
    run(cmd)
walls = {n: [] for n, _ in tools}
peaks = {n: [] for n, _ in tools}
for r in range(runs):
    order = tools[r % len(tools):] + tools[:r % len(tools)]
    for n, cmd in order:
        w, m = run(cmd)
        walls[n].append(w)
        peaks[n].append(m)
ref = tools[0][0]
print(f"| tool | median wall (s) | ratio to {ref} | peak memory (MiB) |")
print("|---|---:|---:|---:|")
for n, _ in tools:
    ratio = statistics.median(a / b for a, b in zip(walls[n], walls[ref]))
    print(f"| {n} | {statistics.median(walls[n]):.3f} | {ratio:.2f} | {max(peaks[n]) / 1024:.1f} |")
print(f"\n{runs} interleaved rounds on {root}; load average before/after: {os.getloadavg()[0]:.2f}")
