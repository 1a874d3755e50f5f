#!/usr/bin/env bash
# Builds Quozzolo for 64-bit Windows and tests the build under Wine, headless:
#   bash scripts/test-windows.sh
#
# 1. Qt for Windows, static, from Debian's own source (build-qt-mingw.sh; built
#    once into a cache folder, ~25 minutes on two cores, then reused).
# 2. The game and its QtCore-only tests cross-built with MinGW-w64
#    (cmake/mingw-w64-x86_64.cmake, GoogleTest from Debian's source) into
#    build-windows/.
# 3. The tests run under Wine, in a Wine prefix of their own (build-windows/wine).
# 4. The game played under Wine on Xvfb with real X key events, read back by
#    Tesseract from screenshots, with the record files' bytes checked; the
#    record folder's fallback with the Windows directory closed.
# 5. The installer built with NSIS, installed silently, started, uninstalled.
# Prints "N passed, N failed, N skipped"; exits non-zero when something failed.
#
# What this cannot prove, and only a real Windows would: see "Windows" in the
# README (DPI scaling, Narrator, access lists on a real NTFS).
set -euo pipefail
# shellcheck source=scripts/setup.sh
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quozzolo_require_packages "${QUOZZOLO_WINDOWS_PACKAGES[@]}"
began="$(date +%s)"
passed=0 failed=0 skipped=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
skip() { echo "SKIP: $*"; skipped=$((skipped + 1)); }

qt="$(bash "$QUOZZOLO_ROOT/scripts/build-qt-mingw.sh" | tail -n1)"
qt_built="$(date +%s)"

build="${QUOZZOLO_WINDOWS_BUILD:-$QUOZZOLO_ROOT/build-windows}"
mkdir -p "$build"
# Static: one quozzolo.exe that needs none of MinGW's runtime DLLs.
cmake -S "$QUOZZOLO_ROOT" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$QUOZZOLO_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
    -DCMAKE_EXE_LINKER_FLAGS=-static \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine
cmake --build "$build" --parallel "${QUOZZOLO_JOBS:-$(nproc)}"
# Qt puts every program of a Windows build in one folder, as DLLs would be.
game="$(find "$build" -name quozzolo.exe -not -path '*/CMakeFiles/*' -not -path "$build/wine/*" | head -n1)"

# One self-contained program: only Windows' own DLLs imported.
imports="$(x86_64-w64-mingw32-objdump -p "$game" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u | tr '\n' ' ')"
foreign="$(tr ' ' '\n' <<<"$imports" | grep -Ev '^(|kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|uuid|comdlg32|imm32|winmm|ws2_32|version|dwmapi|uxtheme|shlwapi|shcore|setupapi|netapi32|userenv|wtsapi32|d3d9|d3d11|dxgi|dwrite|d2d1|opengl32|msvcrt|mpr|rpcrt4|crypt32|secur32|winspool\.drv|comctl32|authz|bcrypt|ntdll|api-ms-win-[a-z0-9-]*)\.dll$' || true)"
if [[ -z "$foreign" ]]; then
    pass "quozzolo.exe imports only Windows' own DLLs ($imports)"
else
    fail "quozzolo.exe needs DLLs Windows lacks: $foreign"
fi

source "$QUOZZOLO_ROOT/scripts/windows/wine.sh"
wine_prefix "$build/wine"

# The QtCore-only tests, each binary once. A folder Wine cannot write to
# stands for a standard user's Windows directory (root ignores file modes;
# the immutable attribute holds even for root).
closed="$WINEPREFIX/drive_c/closed"
mkdir -p "$closed"
chattr -i "$closed" 2>/dev/null || true
printf '12\r\n' >"$closed/quozrec.txt"
closed_env=()
if chattr +i "$closed" 2>/dev/null; then
    closed_env=(QUOZZOLO_CLOSED_FOLDER='C:\closed')
else
    echo "quozzolo: cannot make a folder immutable here (chattr): the closed-folder test skips" >&2
fi
while IFS= read -r -d '' test; do
    name="$(basename "$test" .exe)"
    log="$build/$name.wine.log"
    status=0
    (cd "$(dirname "$test")" && env "${closed_env[@]}" timeout 600 wine "$test") >"$log" 2>&1 || status=$?
    n_passed="$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -n1)"
    n_failed="$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$log" | tail -n1)"
    n_skipped="$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below.*/\1/p' "$log" | tail -n1)"
    passed=$((passed + ${n_passed:-0}))
    failed=$((failed + ${n_failed:-0}))
    skipped=$((skipped + ${n_skipped:-0}))
    grep -E '^\[  (FAILED|SKIPPED) \] [A-Za-z]' "$log" | sed "s/^/$name: /" || true
    echo "$name under Wine: ${n_passed:-0} passed, ${n_failed:-0} failed, ${n_skipped:-0} skipped (exit $status, $log)"
    if [[ -z "$n_passed" ]] || { ((status != 0)) && [[ -z "$n_failed" ]]; }; then
        fail "$name did not finish under Wine (exit $status); the end of $log:"
        tail -n 20 "$log"
    fi
done < <(find "$build" -name 'test_*.exe' -not -path '*/CMakeFiles/*' -not -path "$build/wine/*" -print0 | sort -z)
chattr -i "$closed" 2>/dev/null || true
tests_done="$(date +%s)"

# The installer, from the stripped program and the licence notices.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
qt_package_version="$(cat "$qt/share/licenses/qtbase-debian-version")"
package="$build/package"
rm -rf "$package"
mkdir -p "$package"
x86_64-w64-mingw32-strip -o "$package/quozzolo.exe" "$game"
cp "$build/data/windows/quozzolo.ico" "$package/"
cp "$QUOZZOLO_ROOT/LICENSE" "$package/LICENZA.txt"
cp "$qt/share/licenses/qtbase/LGPL-3.0-only.txt" "$package/LGPL-3.0.txt"
cp "$qt/share/licenses/qtbase-debian-copyright" "$package/Qt-copyright.txt"
sed -e "s|@VERSION@|$version|g" -e "s|@QT_VERSION@|${qt_package_version%%+*}|g" \
    -e "s|@QT_PACKAGE_VERSION@|$qt_package_version|g" \
    -e "s|@HOMEPAGE@|$(sed -n 's/^CMAKE_PROJECT_HOMEPAGE_URL:STATIC=//p' "$build/CMakeCache.txt")|g" \
    -e 's|@CONTACT@|quozzolo@scuola-fantasia.example|g' \
    "$QUOZZOLO_ROOT/data/windows/LICENZE-Qt.txt.in" >"$package/LICENZE-Qt.txt"
# Notepad wants CR LF.
for text in "$package"/*.txt; do
    sed -i 's/\r\?$/\r/' "$text"
done
installer="$build/quozzolo-$version-setup.exe"
if makensis -V2 -DVERSION="$version" -DSOURCE="$package" -DOUTFILE="$installer" \
    "$QUOZZOLO_ROOT/data/windows/quozzolo.nsi"; then
    pass "installer built: $(basename "$installer")"
else
    fail "makensis could not build the installer"
fi

# Played on a virtual screen: the game, the record folder, the installer.
status=0
python3 "$QUOZZOLO_ROOT/scripts/windows/play_wine.py" "$game" "$installer" "$build/play" >"$build/play.log" 2>&1 || status=$?
cat "$build/play.log"
passed=$((passed + $(grep -c '^PASS: ' "$build/play.log" || true)))
failed=$((failed + $(grep -c '^FAIL: ' "$build/play.log" || true)))
skipped=$((skipped + $(grep -c '^SKIP: ' "$build/play.log" || true)))
if ((status != 0)) && ! grep -q '^FAIL: ' "$build/play.log"; then
    fail "play_wine.py ended with status $status"
fi
wine_stop

ended="$(date +%s)"
echo "quozzolo: Windows build and test: Qt $((qt_built - began)) s, build and Wine tests $((tests_done - qt_built)) s, installer and play $((ended - tests_done)) s, all $((ended - began)) s"
echo "quozzolo: quozzolo.exe $(stat -c %s "$package/quozzolo.exe") bytes stripped; installer $(stat -c %s "$installer" 2>/dev/null || echo 0) bytes"
echo "$passed passed, $failed failed, $skipped skipped"
((failed == 0))
