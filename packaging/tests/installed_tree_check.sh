#!/usr/bin/env bash
# Checks of an installed tree, as a user of the install sees it.
#   installed_tree_check.sh install  BUILD PREFIX
#   installed_tree_check.sh files    PREFIX VERSION
#   installed_tree_check.sh programs PREFIX VERSION
#   installed_tree_check.sh pkg-config   PREFIX SOURCE WORKDIR [CFLAGS]
#   installed_tree_check.sh find-package PREFIX SOURCE WORKDIR VERSION [CFLAGS]
#   installed_tree_check.sh readme-c     PREFIX README WORKDIR KVRSIM [CFLAGS]
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

# The programs run here open ports by number: none of the user's port
# settings (TOLK_COMn, a port map file) may reach them.
for name in $(compgen -e); do
    case $name in TOLK_TEST_*) ;; TOLK_*) unset "$name" ;; esac
done
export XDG_CONFIG_HOME=/nonexistent/kvr-packaging-test

libdir_of() {
    local d
    for d in "$1"/lib "$1"/lib/*-linux-gnu "$1"/lib64 "$1"/lib32; do
        if [ -e "$d/libtolk64.so" ] || [ -e "$d/libtolk32.so" ]; then echo "$d"; return; fi
    done
    fail "no libtolk64.so under $1/lib*"
}

mode=$1
shift
case $mode in
install)
    build=$1 prefix=$2
    rm -rf "$prefix"
    # As the README installs: stripped.
    cmake --install "$build" --prefix "$prefix" --strip
    ;;

files)
    prefix=$1 version=$2
    for f in bin/kvrdash bin/kvrtool bin/kvrsim; do
        [ -x "$prefix/$f" ] || fail "$f is not installed as a program"
    done
    lib=$(libdir_of "$prefix")
    major=${version%%.*}
    [ -L "$lib/libtolk64.so" ] || fail "libtolk64.so is not a link to the versioned library"
    [ -f "$lib/libtolk64.so.$version" ] || fail "libtolk64.so.$version is missing"
    [ "$(readlink -f "$lib/libtolk64.so")" = "$(readlink -f "$lib/libtolk64.so.$version")" ] ||
        fail "libtolk64.so does not lead to libtolk64.so.$version"
    soname=$(readelf -d "$lib/libtolk64.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\].*/\1/p')
    [ "$soname" = "libtolk64.so.$major" ] || fail "SONAME is '$soname', expected libtolk64.so.$major"
    [ -L "$lib/libtolk64.so.$major" ] || fail "libtolk64.so.$major (the SONAME link) is missing"
    for f in include/tolk.h \
        "${lib#"$prefix"/}/pkgconfig/tolk64.pc" \
        "${lib#"$prefix"/}/cmake/tolk64/tolk64-config.cmake" \
        "${lib#"$prefix"/}/cmake/tolk64/tolk64-config-version.cmake" \
        "${lib#"$prefix"/}/cmake/tolk64/tolk64-targets.cmake" \
        share/applications/kvrdash.desktop \
        share/icons/hicolor/scalable/apps/kvrdash.svg \
        share/metainfo/io.github.kvrdash.kvrdash.metainfo.xml \
        share/man/man1/kvrdash.1.gz share/man/man1/kvrtool.1.gz share/man/man1/kvrsim.1.gz \
        share/doc/kvrdash/copyright; do
        [ -s "$prefix/$f" ] || fail "$f is not installed"
    done
    # The .deb's multiarch copy of the library is for cpack only.
    multiarch=$(cc -print-multiarch 2>/dev/null || true)
    if [ -n "$multiarch" ] && [ "$lib" != "$prefix/lib/$multiarch" ] && [ -e "$prefix/lib/$multiarch" ]; then
        fail "the package's lib/$multiarch copy is installed as well"
    fi
    for f in bin/kvrdash bin/kvrtool bin/kvrsim "${lib#"$prefix"/}/libtolk64.so.$version"; do
        if readelf -S -W "$prefix/$f" | grep -q -E '\.symtab|\.debug_'; then
            fail "$f is not stripped ($(stat -c %s "$prefix/$f") bytes)"
        fi
    done
    # The pkg-config file names the prefix installed into, not the configured one.
    grep -qx "prefix=$prefix" "$lib/pkgconfig/tolk64.pc" || fail "tolk64.pc does not name prefix $prefix"
    grep -qx "Version: $version" "$lib/pkgconfig/tolk64.pc" || fail "tolk64.pc does not say Version: $version"
    ;;

programs)
    # Run from the install with no display and nothing pointing back at the
    # build: they must find libtolk64 and answer --version and --help.
    prefix=$1 version=$2
    run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH "$@"; }
    out=$(run "$prefix/bin/kvrdash" --version) || fail "kvrdash --version failed"
    [ "$out" = "kvrdash $version" ] || fail "kvrdash --version printed '$out'"
    out=$(run "$prefix/bin/kvrdash" --help) || fail "kvrdash --help failed"
    grep -q '^usage: kvrdash' <<<"$out" || fail "kvrdash --help printed no usage line"
    grep -q -- '--version' <<<"$out" || fail "kvrdash --help does not mention --version"
    run "$prefix/bin/kvrdash" -platform offscreen --version >/dev/null ||
        fail "kvrdash --version after a Qt option failed"
    for p in kvrtool kvrsim; do
        run "$prefix/bin/$p" --help >/dev/null || fail "installed $p does not run (--help)"
    done
    if ldd "$prefix/bin/kvrtool" | grep -q 'not found'; then fail "kvrtool misses a library"; fi
    ;;

pkg-config)
    prefix=$1 source=$2 work=$3 cflags=${4:-}
    lib=$(libdir_of "$prefix")
    rm -rf "$work" && mkdir -p "$work"
    export PKG_CONFIG_PATH="$lib/pkgconfig"
    flags=$(pkg-config --cflags --libs tolk64) || fail "pkg-config does not know tolk64"
    # shellcheck disable=SC2086  # the flags are words
    cc -std=c11 -Wall -Wextra -Werror $cflags "$source" -o "$work/tolk_consumer" $flags
    LD_LIBRARY_PATH=$(pkg-config --variable=libdir tolk64) "$work/tolk_consumer"
    ;;

find-package)
    prefix=$1 source=$2 work=$3 version=$4 cflags=${5:-}
    here=$(cd "$(dirname "$0")" && pwd)
    rm -rf "$work"
    cmake -S "$here/find_package_project" -B "$work" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCONSUMER_SOURCE="$source" -DEXPECTED_VERSION="$version" -DCMAKE_C_FLAGS="$cflags" \
        -DCMAKE_EXE_LINKER_FLAGS="$cflags" >/dev/null
    cmake --build "$work" >/dev/null
    # The imported target carries the library's location, so the program runs
    # through its build run path without help.
    env -u LD_LIBRARY_PATH "$work/tolk_consumer"
    ;;

readme-c)
    # The README's C example, built and run as the README says for a private
    # prefix: pkg-config for the flags, LD_LIBRARY_PATH (or a run path) for
    # the library. It reads the simulator's values image until the simulator
    # ends and its pseudo-terminal goes away.
    prefix=$1 readme=$2 work=$3 kvrsim=$4 cflags=${5:-}
    lib=$(libdir_of "$prefix")
    rm -rf "$work" && mkdir -p "$work"
    awk '/^## Using the library from C/ { s = 1 } s && /^```c$/ { c = 1; next } c && /^```$/ { exit } c' \
        "$readme" >"$work/my.c"
    [ -s "$work/my.c" ] || fail "no C example under 'Using the library from C' in $readme"
    export PKG_CONFIG_PATH="$lib/pkgconfig"
    flags=$(pkg-config --cflags --libs tolk64) || fail "pkg-config does not know tolk64"
    # shellcheck disable=SC2086  # the flags are words
    cc -Wall -Wextra -Werror $cflags "$work/my.c" $flags -o "$work/my" ||
        fail "the README's C example does not build cleanly"

    "$kvrsim" --seconds 2 --link "$work/ecu" >"$work/sim.out" 2>"$work/sim.err" &
    sim=$!
    for _ in $(seq 50); do
        [ -e "$work/ecu" ] && break
        sleep 0.1
    done
    [ -e "$work/ecu" ] || { cat "$work/sim.err" >&2; fail "kvrsim did not start"; }
    status=0
    TOLK_COM1="$work/ecu" LD_LIBRARY_PATH="$lib" timeout 20 "$work/my" >"$work/my.out" || status=$?
    wait "$sim" || true
    [ "$status" -eq 0 ] || fail "the README's C example exited with $status"
    # The answer to "D" is the values image, well over 1000 characters.
    size=$(wc -c <"$work/my.out")
    [ "$size" -gt 1000 ] || fail "the README's C example printed $size bytes, not the values image"

    # Built with a run path instead, it finds the library without help; with
    # no device behind COM1 it then ends with status 1 (127: no library).
    # shellcheck disable=SC2086
    cc $cflags "$work/my.c" $flags -Wl,-rpath,"$lib" -o "$work/my-rpath"
    status=0
    env -u LD_LIBRARY_PATH TOLK_COM1="$work/no-device" "$work/my-rpath" >/dev/null 2>&1 || status=$?
    [ "$status" -eq 1 ] || fail "the example built with -Wl,-rpath exited with $status, expected 1"
    echo "README C example: $size bytes from the simulator"
    ;;

*)
    fail "unknown mode $mode"
    ;;
esac
