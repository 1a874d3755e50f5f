#!/usr/bin/env bash
# Compiles every source file under src/ for Windows with MinGW-w64, syntax
# only, so that a change to a Windows branch cannot break it unseen: no build
# here ever compiles those branches otherwise. Needs no build folder.
#   bash scripts/check_windows.sh
#
# What it proves: the code compiles against the Windows API as MinGW-w64
# declares it, with the macros a Windows build of the project defines. What it
# cannot prove: Qt's per-platform headers (qconfig.h, qtcore-config.h, ...)
# are those of Debian's Linux build of Qt, so the Qt features they switch on
# or off differ from a real Windows Qt; and nothing is linked or run.
#
# Which files: every src/ .cpp but NAME_unix.cpp, so NAME_win.cpp is checked;
# the rule of quozzolo_platform_sources() in cmake/platformsources.cmake.
set -euo pipefail
# shellcheck source=scripts/setup.sh
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quozzolo_require_packages "${QUOZZOLO_WINDOWS_PACKAGES[@]}"

compiler=x86_64-w64-mingw32-g++-posix
qt=/usr/include/x86_64-linux-gnu/qt6
if [[ ! -d "$qt/QtWidgets" ]]; then
    echo "quozzolo: no Qt 6 headers in $qt" >&2
    exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The headers CMake's configure_file() makes in the build folder (NAME.h from
# NAME.h.in), made here by CMake from the same templates with the project's
# variables empty: the check needs their shape, not their values.
cat >"$work/configure.cmake" <<'EOF'
configure_file(${in} ${out} @ONLY)
EOF
mkdir "$work/generated"
while IFS= read -r -d '' template; do
    name="$(basename "$template" .in)"
    cmake -D "in=$template" -D "out=$work/generated/$name" -P "$work/configure.cmake"
done < <(find "$QUOZZOLO_ROOT/src" -name '*.h.in' -print0)

flags=(
    -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic
    # Qt's CMake for MinGW-w64 (Qt6::Platform). _WIN32 and _WIN64 come from
    # the compiler, but not WIN32 and WIN64 under -std=c++20.
    -DWIN32 -DWIN64 -D_WIN64 -D_ENABLE_EXTENDED_ALIGNED_STORAGE
    -DMINGW_HAS_SECURE_API=1 -DUNICODE -D_UNICODE
    -DQT_NO_JAVA_STYLE_ITERATORS -DQT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    -DQT_NO_DEBUG -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB
    # The project's own, at their default values.
    '-DQUOZZOLO_SHARED_RECORD_DIR=""'
    -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets"
    -I "$work/generated"
)
for dir in "$QUOZZOLO_ROOT"/src/*/; do
    flags+=(-I "$dir")
done

files=()
while IFS= read -r -d '' file; do
    files+=("${file#"$QUOZZOLO_ROOT"/}")
done < <(find "$QUOZZOLO_ROOT/src" -name '*.cpp' ! -name '*_unix.cpp' -print0 | LC_ALL=C sort -z)

compile() { # file, log
    local extra=()
    # The program's own sources on Windows: Qt's entry point renames main.
    [[ "$1" == src/app/main.cpp ]] && extra=(-DQT_NEEDS_QMAIN)
    (cd "$QUOZZOLO_ROOT" && "$compiler" "${flags[@]}" "${extra[@]}" "$1") >"$2" 2>&1 || touch "$2.failed"
}

start="$(date +%s%N)"
jobs="${QUOZZOLO_JOBS:-$(nproc)}"
for i in "${!files[@]}"; do
    while (($(jobs -rp | wc -l) >= jobs)); do
        wait -n
    done
    compile "${files[$i]}" "$work/$i.log" &
done
wait

failed=()
for i in "${!files[@]}"; do
    if [[ -e "$work/$i.log.failed" ]]; then
        failed+=("${files[$i]}")
        echo "FAIL: ${files[$i]} does not compile for Windows:"
    fi
    cat "$work/$i.log"
done
tenths=$((($(date +%s%N) - start) / 100000000))
seconds="$((tenths / 10)).$((tenths % 10))"
if ((${#failed[@]} > 0)); then
    echo "quozzolo: Windows check failed in ${#failed[@]} of ${#files[@]} files: ${failed[*]}" >&2
    exit 1
fi
echo "quozzolo: Windows check: ${#files[@]} files compile for Windows (MinGW-w64, syntax only) in ${seconds} s"
