# shellcheck shell=bash disable=SC2034  # the package lists are used by the scripts that source this
# Shared by play.sh, test.sh, bench.sh and measure_startup.sh: source it,
# do not run it.
#
#   source scripts/setup.sh
#   quozzolo_require_packages "${QUOZZOLO_BUILD_PACKAGES[@]}"
#   quozzolo_build build-release Release
#
# Made for Debian 12. apt-get is only called when a package is missing, so a
# machine that already has everything needs neither the network nor root.

QUOZZOLO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building and running the game needs. The xcb and offscreen platform
# plugins ship in libqt6gui6, which qt6-base-dev pulls in (qt6-qpa-plugins
# holds only the vnc platform and the tuio input plugin, so it is not
# needed). fonts-liberation gives the labels a real Arial/Times metric font.
QUOZZOLO_BUILD_PACKAGES=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-tools-dev qt6-l10n-tools libgtest-dev libbenchmark-dev
    fonts-liberation locales
)

# What the end-to-end test and the measuring scripts add: a virtual X
# server, a tool that types into it, and one that takes a screenshot.
QUOZZOLO_DESKTOP_TEST_PACKAGES=(
    xvfb xauth xdotool imagemagick
    dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0 faketime  # the end-to-end test reads the accessibility tree; a time-out in seconds
    orca speech-dispatcher speech-dispatcher-espeak-ng  # the listening test plays under Debian's screen reader
)

# Playing needs less: none of the test and benchmark libraries.
# qt6-tools-dev (Qt's CMake for translations) and qt6-l10n-tools (lrelease)
# build the game's own Italian for the few Qt strings a player meets;
# qt6-translations-l10n adds the whole of Qt's Italian.
QUOZZOLO_PLAY_PACKAGES=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    fonts-liberation
)

# The tests also check Qt's Italian strings, validate the desktop entry and
# metainfo, and build and check the Debian package.
QUOZZOLO_BUILD_PACKAGES+=(
    qt6-translations-l10n desktop-file-utils appstream
    dpkg-dev fakeroot file lintian
    strace  # the record tests fail system calls at the call
)

# What the fuzzing script adds: clang with libFuzzer and the sanitizer runtimes.
QUOZZOLO_FUZZ_PACKAGES=(
    clang libclang-rt-14-dev
)

# What the Windows build and its test add (test-windows.sh): MinGW-w64's
# C++ compiler, Qt's source unpacked by dpkg-source, the host's moc/rcc/uic
# of the same Qt version, Wine to run the tests and the game, NSIS for the
# installer, and Tesseract to read the game's screen in Italian.
QUOZZOLO_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix cmake ninja-build dpkg-dev
    qt6-base-dev qt6-base-dev-tools googletest
    wine wine64 nsis
    xvfb xauth xdotool imagemagick tesseract-ocr tesseract-ocr-ita fonts-liberation
    python3 e2fsprogs  # the icon file and the play script; chattr closes a folder even to root
)

# Installs those of the given Debian packages that are not installed yet.
quozzolo_require_packages() {
    local missing=() pkg status
    for pkg in "$@"; do
        status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
        if [[ "$status" != "install ok installed" ]]; then
            missing+=("$pkg")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return 0
    fi

    if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then
        echo "quozzolo: no apt-get here (this script installs Debian 12 packages)." >&2
        echo "quozzolo: install the equivalents of: ${missing[*]}" >&2
        echo "quozzolo: then build by hand:" >&2
        echo "    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release" >&2
        echo "    cmake --build build-release" >&2
        echo "    build-release/src/app/quozzolo" >&2
        return 1
    fi
    echo "quozzolo: installing missing packages: ${missing[*]}" >&2
    local sudo=()
    if ((EUID != 0)); then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "quozzolo: not root and no sudo: install these by hand: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    # Wait for another apt run (e.g. unattended upgrades) rather than fail.
    local apt_options=(-o DPkg::Lock::Timeout=600)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" \
        install -y --no-install-recommends "${missing[@]}"
}

# Configures and builds the project.
#   quozzolo_build BUILD_DIR BUILD_TYPE [extra cmake arguments...]
# BUILD_DIR is taken relative to the repository root. Parallel jobs: the
# number of cores, or QUOZZOLO_JOBS when set.
quozzolo_build() {
    local dir="$1" type="$2"
    shift 2
    case "$dir" in
        /*) ;;
        *) dir="$QUOZZOLO_ROOT/$dir" ;;
    esac
    cmake -S "$QUOZZOLO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
    cmake --build "$dir" --parallel "${QUOZZOLO_JOBS:-$(nproc)}"
}

# Generates a locale when it is missing (the tests read numbers under an
# Italian decimal comma). Needs the locales package; a no-op when present.
quozzolo_require_locale() {
    local name="$1"
    if locale -a 2>/dev/null | grep -qix "${name/UTF-8/utf8}"; then
        return 0
    fi
    local sudo=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null 2>&1 || { echo "quozzolo: cannot generate $name without root" >&2; return 0; }
        sudo=(sudo)
    fi
    echo "quozzolo: generating the $name locale" >&2
    "${sudo[@]}" sed -i "s/^# *\(${name//./\\.} \)/\1/" /etc/locale.gen
    "${sudo[@]}" locale-gen >/dev/null
}
