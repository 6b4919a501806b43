#!/usr/bin/env bash
# Largest Files benchmark: the walk that keeps the 100 largest files (scanbench -l) beside the
# analysis walk itself (scanbench), both with one thread per core, interleaved. Checks first that
# the sizes of the 100 it keeps are those find gives (ties aside: which of equal files is kept is
# left to chance). Usage: bench/walk/largest.sh [FOLDER...] (default /usr)
#   RUNS      interleaved rounds (default 9)
#   BASELINE  a scanbench of an earlier commit: its analysis walk is timed beside, to tell whether
#             the hook that lets the search see each file slowed the analysis walk
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
runs=${RUNS:-9}
cmake -S "$src" -B "$src/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$src/build-bench" -j2 --target scanbench >/dev/null
scanbench=$src/build-bench/scanbench
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=(/usr)
for root in "${folders[@]}"; do
    found=$("$scanbench" -l "$root" | tail -n +2 | cut -d' ' -f1)
    expected=$(find "$root" -type f -printf '%s\n' | sort -n | tail -100)
    if [ "$found" != "$expected" ]; then
        echo "MISMATCH on $root: the 100 largest sizes differ from find's" >&2
        diff <(echo "$expected") <(echo "$found") | head >&2
        exit 1
    fi
    echo "## $root (the 100 largest sizes equal find's)"
    tools=("analysis walk=$scanbench" "Largest Files walk=$scanbench -l")
    refs=(--ref "analysis walk")
    [ -n "${BASELINE:-}" ] && tools+=("previous analysis walk=$BASELINE") && refs+=(--ref "previous analysis walk")
    python3 "$src/bench/walk/compare.py" "$runs" "$root" "${refs[@]}" "${tools[@]}"
    echo
done
