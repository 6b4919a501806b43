#!/usr/bin/env bash
# Screenshots of Corvale under Xvfb into docs/screenshots/: the welcome view light and dark and,
# with a folder given, its result. Needs xvfb, imagemagick, dbus, python3-dbus, python3-gi.
#   bash tools/screenshots.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/screenshots
mkdir -p "$out"
shot() { # scheme name [folder]
    local scheme=$1 name=$2 folder=${3:-}
    local config; config=$(mktemp -d)
    XDG_CONFIG_HOME=$config xvfb-run -a -s "-screen 0 1100x760x24" dbus-run-session -- sh -c "
        /usr/bin/python3 tools/fake-portal.py $scheme & sleep 1
        build/corvale $folder & app=\$!
        sleep ${WAIT:-4}
        import -window root -crop 1100x720+0+0 +repage '$out/$name.png'
        kill \$app"
    rm -rf "$config"
}
shot 2 welcome-light
shot 1 welcome-dark
if [ $# -ge 1 ]; then
    shot 2 result-light "$1"
    shot 1 result-dark "$1"
fi
