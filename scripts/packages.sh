# Debian packages the project needs, a helper that installs the missing ones,
# and the settings every build the scripts make shares. Sourced by the
# scripts in scripts/ and bench/.
# shellcheck shell=bash disable=SC2034  # the lists are for those scripts

# g++-multilib builds the serial library's 32-bit copy (tolk32); qemu-user runs
# its tests, since these kernels do not run 32-bit programs themselves. ccache
# keeps compiled objects across builds and build directories.
BUILD_PACKAGES=(cmake make g++ pkg-config libgtest-dev googletest qt6-base-dev g++-multilib ccache)
TEST_PACKAGES=(qemu-user)
# scripts/fuzz builds the fuzz targets with clang; libFuzzer and clang's
# sanitizer runtimes come in its compiler-rt package.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The demo runs under Xvfb when there is no display, clicks with xdotool and
# takes its screenshot with ImageMagick.
DEMO_PACKAGES=(xvfb xdotool imagemagick)
# The packaging tests validate the desktop entry (desktop-file-utils), the
# metainfo (appstream) and the man pages (groff-base), and build the .deb, whose
# dependencies dpkg-shlibdeps (dpkg-dev) works out from the binaries that `file`
# finds.
PACKAGING_PACKAGES=(desktop-file-utils appstream groff-base dpkg-dev file)

install_missing() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Objects compiled in one clone are found again from another: ccache hashes
# paths under the clone relative to it, and not the build folder (the debug
# information then names the folder that compiled them first).
export CCACHE_BASEDIR="${top:-$PWD}" CCACHE_NOHASHDIR=true

# CMake options that send every compile through ccache, one a line; none when
# ccache is missing. Use: mapfile -t launcher < <(launcher_options)
launcher_options() {
    command -v ccache >/dev/null || return 0
    printf '%s\n' -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
}

# The normal build, build/test: scripts/test, scripts/demo, scripts/screenshots
# and scripts/make-examples all use it, with the same options, so that none
# of them reconfigures or rebuilds what another has built.
NORMAL_BUILD_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
