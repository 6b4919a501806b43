#!/usr/bin/env bash
# Runs chart_demo --keys under Xvfb with its own session bus and AT-SPI bus, and prints what a
# screen reader reads of its bars (atspi_check.py). Needs xvfb, dbus, at-spi2-core and
# python3-pyatspi. Usage: bash bench/chart/atspi-check.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1/chart_demo" --keys >/dev/null &
    demo=$!
    /usr/bin/python3 "$2/atspi_check.py"
    kill $demo $launcher' check "$build" "$here"
