#!/usr/bin/env bash
# Runs chart_demo --keys (or, with --window, the whole window on a folder made here:
# window_demo --keys) under Xvfb with its own session bus and AT-SPI bus, and prints what a screen
# reader reads of it (atspi_check.py). Needs xvfb, dbus, at-spi2-core and python3-pyatspi.
# Usage: bash bench/chart/atspi-check.sh [--window] [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
demo=(chart_demo --keys)
app=chart_demo
if [ "${1:-}" = --window ]; then
    shift
    folder=$(mktemp -d)
    trap 'rm -rf "$folder"' EXIT
    for spec in Videos/film.mkv:3G Videos/clip.mov:400M Music/album.tar:800M notes.txt:12K; do
        mkdir -p "$(dirname "$folder/${spec%%:*}")"
        truncate -s "${spec##*:}" "$folder/${spec%%:*}"
    done
    demo=(window_demo "$folder" 0 --depth 0 --keys)
    app=window_demo
fi
build=$(cd "${1:-$here/../../build}" && pwd)
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    sleep 1
    app=$1 build=$2 here=$3
    shift 3
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_CONFIG_HOME=$(mktemp -d) "$build/$1" "${@:2}" >/dev/null &
    demo=$!
    /usr/bin/python3 "$here/atspi_check.py" "$app"
    kill $demo $launcher' check "$app" "$build" "$here" "${demo[@]}"
