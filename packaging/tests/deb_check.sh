#!/usr/bin/env bash
# Builds the .deb from a build directory and checks what is in it.
#   deb_check.sh BUILD WORKDIR
set -euo pipefail
build=$1 work=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >cpack.log 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
debs=("$work"/kvrdash_*.deb)
[ -f "${debs[0]}" ] || fail "no kvrdash_*.deb in $work"
deb=${debs[0]}

listing=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kvrdash ./usr/bin/kvrtool ./usr/bin/kvrsim ./usr/include/tolk.h \
    ./usr/share/applications/kvrdash.desktop ./usr/share/icons/hicolor/scalable/apps/kvrdash.svg \
    ./usr/share/man/man1/kvrtool.1.gz ./usr/share/doc/kvrdash/copyright; do
    grep -q " $f\$" <<<"$listing" || fail "$f is not in the package"
done
grep -q ' ./usr/lib/.*libtolk64\.so\.[0-9]' <<<"$listing" || fail "libtolk64 is not in the package"
# A /usr package needs no run path: the library sits where the loader looks.
dpkg-deb -x "$deb" "$work/root"
if readelf -d "$work/root/usr/bin/kvrdash" | grep -q -E 'RPATH|RUNPATH'; then
    fail "kvrdash in the package has a run path"
fi
grep -q "prefix=/usr\$" <(dpkg-deb --fsys-tarfile "$deb" | tar -xO --wildcards '*/tolk64.pc') ||
    fail "tolk64.pc in the package does not name /usr"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "\\b$dep\\b" <<<"$depends" || fail "Depends lacks $dep"
done
grep -q 'libtolk64' <<<"$depends" && fail "the package depends on its own libtolk64"
echo "$(basename "$deb"): $(wc -l <<<"$listing") entries"
