#!/usr/bin/env bash
# Scan-file benchmark: Corvale opens an ncdu export of a generated tree of about 1,000,000
# files in 50,000 folders, beside its own walk of that tree and ncdu's import of the export.
# Usage: bench/scanfile/run.sh [FOLDER]; ROUNDS (default 5) interleaved rounds; BENCH_DIR where
# the tree and the export are kept; REFWALK_DIR where the tree generator lives.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
refdir=${REFWALK_DIR:-$src/../shared/tools/refwalk}
work=${BENCH_DIR:-/var/tmp/corvale-scanfile-bench}
bash "$src/tools/deps.sh" test

cmake -S "$src" -B "$src/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$src/build-bench" -j2 --target scanfilebench >/dev/null
mkdir -p "$work"
folder=${1:-$work/synth}
if [ $# -eq 0 ] && [ ! -d "$folder" ]; then
    python3 "$refdir/gen_synth.py" "$folder" 50000 1000000 42
fi
exported=$work/$(basename "$folder").ncdu.json
ncdu -0 -o "$exported" "$folder"
ls -l "$exported"
"$src/build-bench/scanfilebench" "$folder" "$exported" "${ROUNDS:-5}"
