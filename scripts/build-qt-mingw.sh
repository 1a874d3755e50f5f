#!/usr/bin/env bash
# Builds a static Qt for 64-bit Windows (MinGW-w64) from Debian's own qt6-base
# source, once, into a cache folder outside the tree, and prints its path.
#   bash scripts/build-qt-mingw.sh            # the Qt folder on stdout
#
# The folder is named after Qt's version and a hash of the configure options
# and the toolchain file, so a change to either builds a new Qt beside the
# old. It is built under a temporary name and renamed into place only when
# complete: a killed build is never taken for a cache.
#
#   QUOZZOLO_CACHE   where the cache lives ($HOME/.cache/quozzolo)
#   QUOZZOLO_JOBS    parallel jobs (the number of cores)
set -euo pipefail
# shellcheck source=scripts/setup.sh
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quozzolo_require_packages "${QUOZZOLO_WINDOWS_PACKAGES[@]}" >&2  # stdout is the Qt folder alone

cache="${QUOZZOLO_CACHE:-$HOME/.cache/quozzolo}"
toolchain="$QUOZZOLO_ROOT/cmake/mingw-w64-x86_64.cmake"
# The host's moc, rcc and uic generate the code: the source must be theirs.
qt_package_version="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
qt_version="${qt_package_version%%+*}"
qt_version="${qt_version#*:}"

# Static; Core, Gui, Widgets and Test with the windows platform plugin;
# third-party libraries bundled, so the game needs no DLL beside Windows'.
# Debian's source leaves out the tablet headers (wintab.h), hence no tablet
# events; 6.4's windows plugin does not build without desktop OpenGL.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_opengl_desktop=ON -DFEATURE_opengl_dynamic=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_png=ON -DFEATURE_system_png=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF
    -DFEATURE_harfbuzz=ON -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_pcre2=ON -DFEATURE_system_pcre2=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_zstd=OFF
)
key="$( { printf '%s\n' "$qt_package_version" "${options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)"
prefix="$cache/qt-$qt_version-mingw-$key"

if [[ -e "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]]; then
    echo "quozzolo: Qt $qt_version for Windows (cached): $prefix" >&2
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
# Only one build at a time per cache folder.
exec 9>"$cache/.qt-mingw.lock"
flock 9
if [[ -e "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]]; then
    echo "$prefix"
    exit 0
fi

# Debian's source package, fetched through apt's own options with a private
# deb-src list, so the machine's sources stay as they are.
src_parent="$cache/src-qt6-base-$qt_package_version"
source_dir="$(find "$src_parent" -maxdepth 1 -type d -name 'qt6-base-*' 2>/dev/null | head -n1 || true)"
if [[ -z "$source_dir" || ! -e "$source_dir/.quozzolo-unpacked" ]]; then
    rm -rf "$src_parent" "$src_parent.tmp"
    mkdir -p "$src_parent.tmp/apt/lists/partial" "$src_parent.tmp/apt/cache/archives/partial"
    cat >"$src_parent.tmp/apt/sources.list" <<'SOURCES'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
SOURCES
    apt_options=(
        -o "Dir::Etc::SourceList=$src_parent.tmp/apt/sources.list"
        -o Dir::Etc::SourceParts=/dev/null
        -o "Dir::State::Lists=$src_parent.tmp/apt/lists"
        -o "Dir::Cache=$src_parent.tmp/apt/cache"
    )
    echo "quozzolo: fetching Debian's qt6-base $qt_package_version source" >&2
    apt-get "${apt_options[@]}" update >&2
    (cd "$src_parent.tmp" && apt-get "${apt_options[@]}" source "qt6-base=$qt_package_version" >&2)
    rm -rf "$src_parent.tmp/apt"
    source_dir="$(find "$src_parent.tmp" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)"
    touch "$source_dir/.quozzolo-unpacked"
    mv "$src_parent.tmp" "$src_parent"
    source_dir="$src_parent/$(basename "$source_dir")"
fi

# Configured for the final folder and installed into a staging one (DESTDIR),
# so the paths Qt writes into its CMake files are the final ones.
build="$prefix.build"
stage="$prefix.stage"
rm -rf "$build" "$stage"
start="$(date +%s)"
echo "quozzolo: building Qt $qt_version for Windows (static, MinGW-w64) into $prefix" >&2
cmake -S "$source_dir" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${options[@]}" >&2
cmake --build "$build" --parallel "${QUOZZOLO_JOBS:-$(nproc)}" >&2
DESTDIR="$stage" cmake --install "$build" >&2
# Qt's own licences go with the programs built against it.
mkdir -p "$stage$prefix/share/licenses"
cp -r "$source_dir/LICENSES" "$stage$prefix/share/licenses/qtbase" 2>/dev/null || true
cp "$source_dir/debian/copyright" "$stage$prefix/share/licenses/qtbase-debian-copyright"
echo "$qt_package_version" >"$stage$prefix/share/licenses/qtbase-debian-version"
mv "$stage$prefix" "$prefix"
rm -rf "$stage" "$build"
echo "quozzolo: Qt built in $(( $(date +%s) - start )) s, $(du -sh "$prefix" | cut -f1)" >&2
echo "$prefix"
