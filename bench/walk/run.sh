#!/usr/bin/env bash
# Walk benchmark: the scanner with one and two threads beside the reference walker (one and two
# threads), du, ncdu and gdu, on /usr and on a generated tree of about 1,000,000 files in 50,000
# folders. Checks first that the scanner's totals are find's (items, lengths) and du's (disk
# usage), there and on a small tree of sparse files and hard links across folders, then prints a
# table per folder. Usage: bench/walk/run.sh [FOLDER...]
#   RUNS        interleaved rounds (default 9)
#   COLD=1      drop the page cache before every run (root only; default 3 rounds)
#   BASELINE    another scanbench binary (say, of an earlier commit) to time beside this one
#   REFWALK_DIR the reference walker's sources (default: the shared tools folder beside the
#               checkout); without them its rows and the generated tree are left out
#   BENCH_DIR   where the generated trees and the reference walker go (default /var/tmp/scanbench)
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
refdir=${REFWALK_DIR:-$src/../shared/tools/refwalk}
cold=${COLD:-}
runs=${RUNS:-$([ -n "$cold" ] && echo 3 || echo 9)}
work=${BENCH_DIR:-/var/tmp/scanbench}

# Packages for benchmarking only (the project's own go through tools/deps.sh).
bash "$src/tools/deps.sh" run
missing=()
for p in ncdu gdu time python3 findutils gcc; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$src" -B "$src/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$src/build-bench" -j2 --target scanbench >/dev/null
scanbench=$src/build-bench/scanbench
mkdir -p "$work"
refwalk=()
if [ -f "$refdir/refwalk.c" ]; then
    cc -O2 -pthread -o "$work/refwalk" "$refdir/refwalk.c"
    refwalk=("refwalk=$work/refwalk" "refwalk -j 2=$work/refwalk -j 2")
else
    echo "No reference walker at $refdir (set REFWALK_DIR): its rows are left out."
fi

# Sparse and written files, hard links inside and across folders, links: for the disk-usage check.
links=$work/links
if [ ! -d "$links" ]; then
    mkdir -p "$links/a/b" "$links/c"
    truncate -s 1G "$links/a/sparse"
    head -c 300000 /dev/urandom >"$links/a/written"
    dd if=/dev/urandom of="$links/a/b/holey" bs=4096 count=3 seek=100 status=none
    ln "$links/a/written" "$links/c/written-again"
    ln "$links/a/written" "$links/a/b/written-too"
    ln "$links/a/b/holey" "$links/a/holey-again"
    ln -s ../a "$links/c/to-a"
fi

folders=("$@")
if [ ${#folders[@]} -eq 0 ]; then
    folders=(/usr)
    if [ -d "$work/synth" ] || [ -f "$refdir/gen_synth.py" ]; then
        [ -d "$work/synth" ] || python3 "$refdir/gen_synth.py" "$work/synth" 50000 1000000 42
        folders+=("$work/synth")
    else
        echo "No generator at $refdir and no $work/synth: the generated tree is left out."
    fi
fi

for root in "$links" "${folders[@]}"; do
    # Totals as find and du count them: every entry below the folder, every non-folder's length,
    # every block once.
    items=$(find "$root" -mindepth 1 | wc -l)
    bytes=$(find "$root" -mindepth 1 ! -type d -printf '%s\n' | awk '{s+=$1} END {printf "%.0f\n", s}')
    allocated=$(du -s -B1 "$root" | cut -f1)
    for threads in 1 2; do
        line=$("$scanbench" -a -j $threads "$root")
        if [[ "$line" != "items=$items bytes=$bytes allocated=$allocated "* ]]; then
            echo "MISMATCH on $root: scanbench $line; find, du: items=$items bytes=$bytes allocated=$allocated" >&2
            exit 1
        fi
    done
    echo "## $root"
    echo "scanbench: $line"
    echo "find, du:  items=$items bytes=$bytes allocated=$allocated"
    # Memory beyond the paths' own bytes, per folder (two threads: both read buffers included).
    awk -v l="$line" 'BEGIN {n = split(l, f, /[ =]/); for (i = 1; i < n; i += 2) v[f[i]] = f[i + 1];
        printf "memory: %.0f bytes per folder beyond its path\n",
            ((v["peak_kib"] - v["base_kib"]) * 1024 - v["path_bytes"]) / v["folders"]}'
    [ "$root" = "$links" ] && { echo; continue; }
    tools=("${refwalk[@]}" "Corvale, 1 thread=$scanbench -j 1" "Corvale, 2 threads=$scanbench -j 2")
    [ -n "${BASELINE:-}" ] && tools+=("previous walk=$BASELINE")
    # Cold runs take long: there only the walkers that set the pace.
    [ -z "$cold" ] && tools+=("du -s --apparent-size=du -s --apparent-size -B1"
        "ncdu -0 -o /dev/null=ncdu -0 -o /dev/null" "gdu -n -p=gdu -n -p")
    refs=(--ref "Corvale, 1 thread")
    [ ${#refwalk[@]} -gt 0 ] && refs=(--ref refwalk --ref "refwalk -j 2")
    [ -n "${BASELINE:-}" ] && refs+=(--ref "previous walk")
    BEFORE_EACH=${cold:+"sync; echo 3 > /proc/sys/vm/drop_caches"} \
        python3 "$src/bench/walk/compare.py" "$runs" "$root" "${refs[@]}" "${tools[@]}"
    echo
done
