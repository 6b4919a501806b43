#!/usr/bin/env bash
# Installs what is missing, builds Corvale and runs every test.
#
# Run as root (as CI does), the suite runs as an unprivileged user, so that tests which need
# a permission to be refused really are refused: root ignores file permissions.
# CORVALE_SANITIZERS="address thread" (the default) also runs tests under each sanitizer: the
# whole suite under ThreadSanitizer (every background task comes back through one link, which it
# checks), the scan tests under AddressSanitizer; set it to "" to skip them.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
bash "$src/tools/deps.sh" test
sanitizers=${CORVALE_SANITIZERS-address thread}

build_and_test() { # dir
    cd "$1"
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j2
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
    for s in $sanitizers; do
        local target=scan_tests label=(-L scan)
        [ "$s" = thread ] && target=corvale_tests label=()
        cmake -S . -B "build-$s" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVALE_SANITIZE="$s" >/dev/null
        cmake --build "build-$s" -j2 --target "$target"
        (cd "build-$s" && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="suppressions=$1/tools/tsan.supp die_after_fork=0" \
            ctest --output-on-failure -j2 "${label[@]}")
    done
}

if [ "$(id -u)" -eq 0 ]; then
    user=corvale-test
    id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
    work=$(mktemp -d /tmp/corvale-test.XXXXXX)
    # A copy the user owns: the checkout may lie where the user cannot even look.
    tar -C "$src" --exclude=./build --exclude='./build-*' -cf - . | tar -C "$work" -xf -
    chown -R "$user:" "$work"
    runuser -u "$user" -- env HOME="/home/$user" sanitizers="$sanitizers" bash -c "set -euo pipefail; $(declare -f build_and_test); build_and_test '$work'"
    rm -rf "$work"
else
    build_and_test "$src"
fi
