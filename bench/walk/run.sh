#!/usr/bin/env bash
# Walk benchmark: the scanner beside the reference walker, du, ncdu and gdu, on /usr and on a
# generated tree of about 1,000,000 files in 50,000 folders; checks the scanner's totals
# against find and prints a table per folder. Usage: bench/walk/run.sh [FOLDER...]
# RUNS (default 9) sets the number of interleaved rounds; REFWALK_DIR where the reference
# walker's sources are (default: the shared tools folder beside the checkout).
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
refdir=${REFWALK_DIR:-$src/../shared/tools/refwalk}
runs=${RUNS:-9}
work=${BENCH_DIR:-/tmp/scanbench}

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
mkdir -p "$work"
cc -O2 -pthread -o "$work/refwalk" "$refdir/refwalk.c"
scanbench=$src/build-bench/scanbench

folders=("$@")
if [ ${#folders[@]} -eq 0 ]; then
    [ -d "$work/synth" ] || python3 "$refdir/gen_synth.py" "$work/synth" 50000 1000000 42
    folders=(/usr "$work/synth")
fi

for root in "${folders[@]}"; do
    echo "## $root"
    # The scanner's totals must be find's: every entry below the folder, every non-folder's length.
    items=$(find "$root" -mindepth 1 | wc -l)
    bytes=$(find "$root" -mindepth 1 ! -type d -printf '%s\n' | awk '{s+=$1} END {printf "%.0f\n", s}')
    line=$("$scanbench" "$root")
    echo "scanbench: $line"
    echo "find:      items=$items bytes=$bytes"
    if [[ "$line" != "items=$items bytes=$bytes "* ]]; then
        echo "MISMATCH with find" >&2
        exit 1
    fi
    python3 "$src/bench/walk/compare.py" "$runs" "$root" \
        "refwalk=$work/refwalk" "corvale scanner=$scanbench" "du -s --apparent-size=du -s --apparent-size -B1" \
        "ncdu -0 -o /dev/null=ncdu -0 -o /dev/null" "gdu -n -p=gdu -n -p"
    echo
done
