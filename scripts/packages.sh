# Debian packages the project needs, and a helper that installs the missing ones.
# Sourced by scripts/test and scripts/demo.

# g++-multilib builds the serial library's 32-bit copy (tolk32); qemu-user runs
# its tests, since these kernels do not run 32-bit programs themselves.
BUILD_PACKAGES=(cmake make g++ pkg-config libgtest-dev googletest qt6-base-dev g++-multilib)
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
