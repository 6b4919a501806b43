#!/usr/bin/env bash
# Installs the Debian 12 packages Corvale needs: `deps.sh run` for building and running,
# `deps.sh test` for building and testing as well. Needs root (or sudo).
set -euo pipefail
run_pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
          qt6-l10n-tools qt6-translations-l10n qt6-svg-dev libqt6svg6 qt6-qpa-plugins libglib2.0-dev libgl-dev adwaita-icon-theme
          dbus dbus-x11)
test_pkgs=(xvfb xauth dbus appstream desktop-file-utils imagemagick ncdu gdu)
pkgs=("${run_pkgs[@]}")
[ "${1:-run}" = test ] && pkgs+=("${test_pkgs[@]}")
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
