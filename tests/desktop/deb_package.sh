#!/usr/bin/env bash
# Builds the Debian package from the build folder with cpack, checks its
# control fields and contents, and runs lintian on it: no errors and no
# missing hardening allowed, warnings are printed. Exit 77 (skip) when a
# packaging tool is missing.
#   deb_package.sh BUILD_DIR
set -euo pipefail

build="$1"
for tool in cpack dpkg-deb dpkg-shlibdeps file lintian; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log"
    echo "FAIL: cpack"
    exit 1
}
debs=("$out"/*.deb)
if ((${#debs[@]} != 1)) || [[ "${debs[0]}" != */quozzolo_1.0_*.deb ]]; then
    echo "FAIL: expected one quozzolo_1.0_*.deb, got: ${debs[*]}"
    exit 1
fi
deb="${debs[0]}"

fail=0
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() { # name, extended regular expression
    local value
    value="$(field "$1")"
    if ! grep -Eq "$2" <<<"$value"; then
        echo "FAIL: $1 is '$value', expected to match '$2'"
        fail=1
    fi
}
expect_field Package '^quozzolo$'
expect_field Version '^1\.0$'
expect_field Section '^education$'
expect_field Maintainer '^Tizio e Caio <'
# From the binary's own libraries, found by dpkg-shlibdeps.
expect_field Depends '(^|, )libqt6widgets6 '
expect_field Depends '(^|, )libc6 '
expect_field Recommends '(^|, )qt6-translations-l10n(,|$)'
expect_field Recommends '(^|, )fonts-liberation(,|$)'
description="$(field Description)"
if [[ "$description" != "drill game in the division of signed integers"$'\n'" Quozzolo poses one exact division "* ]] \
    || grep -q '^ ;' <<<"$description"; then
    echo "FAIL: Description is:"
    printf '%s\n' "$description"
    fail=1
fi

expected="./usr/bin/quozzolo
./usr/share/applications/example.scuolafantasia.Quozzolo.desktop
./usr/share/doc/quozzolo/changelog.gz
./usr/share/doc/quozzolo/copyright
./usr/share/icons/hicolor/128x128/apps/example.scuolafantasia.Quozzolo.png
./usr/share/icons/hicolor/16x16/apps/example.scuolafantasia.Quozzolo.png
./usr/share/icons/hicolor/22x22/apps/example.scuolafantasia.Quozzolo.png
./usr/share/icons/hicolor/256x256/apps/example.scuolafantasia.Quozzolo.png
./usr/share/icons/hicolor/32x32/apps/example.scuolafantasia.Quozzolo.png
./usr/share/icons/hicolor/48x48/apps/example.scuolafantasia.Quozzolo.png
./usr/share/icons/hicolor/64x64/apps/example.scuolafantasia.Quozzolo.png
./usr/share/icons/hicolor/scalable/apps/example.scuolafantasia.Quozzolo.svg
./usr/share/man/man1/quozzolo.1.gz
./usr/share/metainfo/example.scuolafantasia.Quozzolo.metainfo.xml"
actual="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | LC_ALL=C sort)"
if [[ "$actual" != "$expected" ]]; then
    echo "FAIL: package contents differ (- expected, + packaged):"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
    fail=1
fi

# lintian refuses nothing as root, but says so on stderr; keep its findings.
# Its hardening tags are notes, shown only with --display-info.
lintian_output="$(lintian --fail-on error --display-info "$deb" 2>&1)" || {
    printf '%s\n' "$lintian_output"
    echo "FAIL: lintian found errors"
    exit 1
}
printf '%s\n' "$lintian_output"
# The package is built hardened: no RELRO, bind-now or PIE missing. Fortify
# is the exception, as lintian judges it by the calls it finds: a read into a
# buffer whose size only the running game knows stays a plain read, fortified
# or not. desktop_hardened checks fortify instead.
if grep -E ' hardening-' <<<"$lintian_output" | grep -qv ' hardening-no-fortify-functions '; then
    echo "FAIL: the package is not built hardened"
    fail=1
fi
((fail == 0)) && echo "PASS: $(basename "$deb")"
exit "$fail"
