#!/usr/bin/env bash
# Installs the build into a fresh prefix and compares what landed there with
# the list below: everything a desktop needs, and nothing else.
#   install_tree.sh BUILD_DIR
set -euo pipefail

build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

expected="./bin/quozzolo
./share/applications/example.scuolafantasia.Quozzolo.desktop
./share/icons/hicolor/128x128/apps/example.scuolafantasia.Quozzolo.png
./share/icons/hicolor/16x16/apps/example.scuolafantasia.Quozzolo.png
./share/icons/hicolor/22x22/apps/example.scuolafantasia.Quozzolo.png
./share/icons/hicolor/256x256/apps/example.scuolafantasia.Quozzolo.png
./share/icons/hicolor/32x32/apps/example.scuolafantasia.Quozzolo.png
./share/icons/hicolor/48x48/apps/example.scuolafantasia.Quozzolo.png
./share/icons/hicolor/64x64/apps/example.scuolafantasia.Quozzolo.png
./share/icons/hicolor/scalable/apps/example.scuolafantasia.Quozzolo.svg
./share/man/man1/quozzolo.1.gz
./share/metainfo/example.scuolafantasia.Quozzolo.metainfo.xml"
actual="$(cd "$prefix" && find . ! -type d | LC_ALL=C sort)"
if [[ "$actual" != "$expected" ]]; then
    echo "FAIL: installed tree differs (- expected, + installed):"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
    exit 1
fi

fail=0
check() { # description, command...
    local what="$1"
    shift
    if ! "$@"; then
        echo "FAIL: $what"
        fail=1
    fi
}
check "the binary is executable" test -x "$prefix/bin/quozzolo"
check "the entry names the installed icon" \
    grep -qx 'Icon=example.scuolafantasia.Quozzolo' "$prefix/share/applications/example.scuolafantasia.Quozzolo.desktop"
check "the metainfo launches the installed entry" \
    grep -q '<launchable type="desktop-id">example.scuolafantasia.Quozzolo.desktop</launchable>' \
    "$prefix/share/metainfo/example.scuolafantasia.Quozzolo.metainfo.xml"
for size in 16 22 32 48 64 128 256; do
    check "the ${size}x${size} icon is a ${size}x${size} PNG" \
        grep -q "PNG image data, $size x $size," \
        <(file "$prefix/share/icons/hicolor/${size}x${size}/apps/example.scuolafantasia.Quozzolo.png")
done
check "the scalable icon is SVG" \
    grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/example.scuolafantasia.Quozzolo.svg"
version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quozzolo" --version)"
check "the installed binary runs: '$version'" test "$version" = "Quozzolo 1.0"

((fail == 0)) && echo "PASS: $(wc -l <<<"$actual") files installed"
exit "$fail"
