#!/usr/bin/env python3
"""Times the scanner against other walkers on one folder, interleaved.

Usage: compare.py RUNS ROOT [--ref NAME]... NAME=COMMAND... (the folder is appended to each
COMMAND). Each round runs every tool once, in a rotating order, so that load from other
processes falls on all of them alike; a ratio is the median over the rounds of (tool's time /
a reference's time in the same round), one column per --ref (default: the first tool). Peak
memory is the tool's maxrss as GNU time reports it (a small process of its own, so the figure
is not this script's). BEFORE_EACH, if set, is a shell command run (untimed) before every run,
e.g. dropping the page cache for cold-cache figures.
"""
import os, shlex, statistics, subprocess, sys, tempfile, time

runs, root, args = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
refs = [args[i + 1] for i, a in enumerate(args) if a == "--ref"]
specs = [a for i, a in enumerate(args) if a != "--ref" and (i == 0 or args[i - 1] != "--ref")]
tools = [(n, shlex.split(c) + [root]) for n, c in (a.split("=", 1) for a in specs)]
refs = refs or [tools[0][0]]
before = os.environ.get("BEFORE_EACH")

report = tempfile.NamedTemporaryFile(prefix="scanbench-", suffix=".txt")


def run(cmd):
    if before:
        subprocess.run(before, shell=True, check=True)
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-o", report.name, "-f", "%M"] + cmd,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    with open(report.name) as f:
        return wall, int(f.read().split()[-1])


load = os.getloadavg()[0]
if not before:
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
print("| tool | median wall (s) | " + " | ".join(f"ratio to {r}" for r in refs) + " | peak memory (MiB) |")
print("|---|---:|" + "---:|" * len(refs) + "---:|")
for n, _ in tools:
    ratios = [statistics.median(a / b for a, b in zip(walls[n], walls[r])) for r in refs]
    print(f"| {n} | {statistics.median(walls[n]):.3f} | " + " | ".join(f"{x:.2f}" for x in ratios)
          + f" | {max(peaks[n]) / 1024:.1f} |")
print(f"\n{runs} interleaved rounds on {root}{', cold cache' if before else ', warm cache'}; "
      f"load average before/after: {load:.2f}/{os.getloadavg()[0]:.2f}")
