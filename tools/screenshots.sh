#!/usr/bin/env bash
# Screenshots of Corvale under Xvfb into docs/screenshots/: the welcome view light and dark, and
# a result with the legend and the reclaimed total, light and dark. The result is of a made-up
# home folder of sparse files under build/, some of which go to a trash under build/ too. With
# "scans", only the scan files' views: that home compared with an ncdu scan of it made before it
# changed (with the label of its largest sector, and with a folder's list sorted by change), and
# the scan opened as if made on another computer. With "answers", the answers at a glance on that
# home: the header's size, a sector's label with its share, the list's share column (and a link
# listed as a file), and the Largest Files view, light and dark, and in German.
# Needs a build (build/corvale, build/window_demo) and xvfb, imagemagick, dbus, python3-dbus,
# python3-gi; ncdu for "scans". With "measures", the same folder in apparent size and in disk
# usage: a sparse disk image, a backup hard-linked into three folders, files written in full.
#   bash tools/screenshots.sh [scans|measures|answers]
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/screenshots
mkdir -p "$out"
demo=$PWD/build/screenshot-demo

make_home() {
    rm -rf "$demo"
    local home=$demo/Home
    mkdir -p "$demo/data" "$home"
    for spec in Videos/Holidays/2023.mkv:14G Videos/Holidays/2024.mkv:9G Videos/screencast.webm:2G \
        Photos/Raw/batch1.tar:3G Photos/Raw/batch2.tar:1800M Photos/album.zip:700M \
        Music/library.tar:800M Music/podcasts.tar:260M Projects/corvale/build.tar:420M \
        Projects/site/assets.tar:90M Downloads/debian-12.iso:650M Downloads/old-backup.tar:4G \
        Downloads/installer.run:180M Downloads/notes.pdf:12M Documents/taxes.tar:40M \
        Documents/letters.tar:8M .cache/thumbnails.db:350M; do
        local path=$home/${spec%%:*}
        mkdir -p "$(dirname "$path")"
        truncate -s "${spec##*:}" "$path"
    done
}

shot() { # scheme name command...   ($MEASURE: "disk" or "apparent", as the View menu left it)
    local scheme=$1 name=$2
    shift 2
    local config; config=$(mktemp -d)
    if [ -n "${MEASURE:-}" ]; then
        mkdir -p "$config/Corvale" && printf '[General]\nmeasure=%s\n' "$MEASURE" > "$config/Corvale/Corvale.conf"
    fi
    XDG_CONFIG_HOME=$config XDG_DATA_HOME=$demo/data xvfb-run -a -s "-screen 0 1100x760x24" \
        dbus-run-session -- sh -c "
        /usr/bin/python3 tools/fake-portal.py $scheme & sleep 1
        $* & app=\$!
        sleep ${WAIT:-5}
        import -window root -crop 1100x720+0+0 +repage '$out/$name.png'
        kill \$app"
    rm -rf "$config"
}

if [ "${1:-}" = measures ]; then
    rm -rf "$demo"
    home=$demo/Home
    mkdir -p "$demo/data" "$home/VMs" "$home/Photos" "$home/Downloads" "$home/Backups/monday" \
        "$home/Backups/tuesday" "$home/Backups/wednesday"
    truncate -s 100G "$home/VMs/debian.qcow2" # sparse: 100 GB long, 200 MB on the disk
    dd if=/dev/zero of="$home/VMs/debian.qcow2" bs=1M count=200 seek=1000 conv=notrunc status=none
    fallocate -l 1500M "$home/Photos/library.tar"
    fallocate -l 700M "$home/Downloads/debian-12.iso"
    fallocate -l 900M "$home/Backups/monday/home.tar"
    ln "$home/Backups/monday/home.tar" "$home/Backups/tuesday/home.tar"
    ln "$home/Backups/monday/home.tar" "$home/Backups/wednesday/home.tar"
    MEASURE=apparent shot 2 measure-apparent-light build/window_demo "$home" 0 --into Backups
    MEASURE=disk shot 2 measure-disk-light build/window_demo "$home" 0 --into Backups
    rm -rf "$demo"
    exit 0
fi

if [ "${1:-}" = scans ]; then
    make_home
    home=$demo/Home
    ncdu -0 -o "$demo/earlier.json" "$home"
    # A week later: a new film, a new project, more photos, a larger download, the old backup and
    # the podcasts gone.
    truncate -s 6G "$home/Videos/Holidays/2025.mkv"
    mkdir -p "$home/Projects/game" && truncate -s 2500M "$home/Projects/game/assets.pak"
    truncate -s 1200M "$home/Photos/album.zip"
    truncate -s 900M "$home/Downloads/installer.run"
    rm -r "$home/Downloads/old-backup.tar" "$home/Music/podcasts.tar"
    shot 2 compare-light build/window_demo "$home" 0 --compare "$demo/earlier.json"
    shot 2 compare-filelist-light build/window_demo "$home" 0 --compare "$demo/earlier.json" --into Downloads
    sed -i "s|\"name\":\"$home\"|\"name\":\"/srv/backup/home/alex\"|" "$demo/earlier.json"
    shot 2 scan-elsewhere-light build/window_demo "$demo/earlier.json" 0 --scan
    rm -rf "$demo"
    exit 0
fi

if [ "${1:-}" = answers ]; then
    make_home
    ln -s Holidays "$demo/Home/Videos/Latest"
    for look in 2:light 1:dark 2:light-de; do
        lang=C.UTF-8
        [ "${look##*-}" = de ] && lang=de_DE.UTF-8
        shot "${look%%:*}" "answers-${look##*:}" env LANG=$lang build/window_demo "$demo/Home" 0 --label
        shot "${look%%:*}" "largest-files-${look##*:}" env LANG=$lang build/window_demo "$demo/Home" 0 --largest
    done
    rm -rf "$demo"
    exit 0
fi

shot 2 welcome-light build/corvale
shot 1 welcome-dark build/corvale
for scheme in 2:light 1:dark; do
    make_home
    shot "${scheme%%:*}" "result-${scheme##*:}" build/window_demo "$demo/Home" 1 --move
done
rm -rf "$demo"
