#!/usr/bin/env bash
# Builds the .deb from a build directory and checks what is in it; then builds
# a CMake project against the package's files (unpacked) with find_package.
#   deb_check.sh BUILD WORKDIR CONSUMER_SOURCE VERSION
set -euo pipefail
build=$1 work=$2 consumer=$3 version=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >cpack.log 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
if grep -q 'CMake Warning\|CMake Error' "$work/cpack.log"; then
    cat "$work/cpack.log" >&2
    fail "cpack printed CMake warnings"
fi
debs=("$work"/kvrdash_*.deb)
[ -f "${debs[0]}" ] || fail "no kvrdash_*.deb in $work"
deb=${debs[0]}

listing=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kvrdash ./usr/bin/kvrtool ./usr/bin/kvrsim ./usr/include/tolk.h \
    ./usr/share/applications/kvrdash.desktop ./usr/share/icons/hicolor/scalable/apps/kvrdash.svg \
    ./usr/share/man/man1/kvrtool.1.gz ./usr/share/doc/kvrdash/copyright; do
    grep -q " $f\$" <<<"$listing" || fail "$f is not in the package"
done
# The library and its development files in Debian's multiarch folder, and
# nowhere else.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)
lib=./usr/lib/$multiarch
for f in "$lib/libtolk64.so.$version" "$lib/libtolk64.so" "$lib/pkgconfig/tolk64.pc" \
    "$lib/cmake/tolk64/tolk64-config.cmake" "$lib/cmake/tolk64/tolk64-targets.cmake"; do
    grep -q " $f\( ->.*\)\?\$" <<<"$listing" || fail "$f is not in the package"
done
outside=$(awk '{print $6}' <<<"$listing" | grep -E '^\./usr/lib/' | grep -v -E "^$lib/" | grep -v -E '^\./usr/lib/$' || true)
[ -z "$outside" ] || fail "files outside $lib: $outside"

dpkg-deb -x "$deb" "$work/root"
for f in usr/bin/kvrdash usr/bin/kvrtool usr/bin/kvrsim "${lib#./}/libtolk64.so.$version"; do
    # Stripped: no symbol table, no debugging information.
    sections=$(readelf -S -W "$work/root/$f")
    if grep -q -E '\.symtab|\.debug_' <<<"$sections"; then
        fail "$f in the package is not stripped ($(stat -c %s "$work/root/$f") bytes)"
    fi
done
# A /usr package needs no run path: the library sits where the loader looks.
if readelf -d "$work/root/usr/bin/kvrdash" | grep -q -E 'RPATH|RUNPATH'; then
    fail "kvrdash in the package has a run path"
fi
pc=$work/root/${lib#./}/pkgconfig/tolk64.pc
grep -qxF "prefix=/usr" "$pc" || fail "tolk64.pc in the package does not name /usr"
grep -qxF "libdir=\${prefix}/lib/$multiarch" "$pc" || fail "tolk64.pc in the package does not name the multiarch libdir"
# The CMake package finds the library where the package put it.
"$here/installed_tree_check.sh" find-package "$work/root/usr" "$consumer" "$work/find_package" "$version"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "\\b$dep\\b" <<<"$depends" || fail "Depends lacks $dep"
done
grep -q 'libtolk64' <<<"$depends" && fail "the package depends on its own libtolk64"
echo "$(basename "$deb"): $(wc -l <<<"$listing") entries"
