#!/bin/sh
# Builds the .deb with CPack and checks its control data and contents.
set -eu
build=$1
version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/ravelin-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work") >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/ravelin_*.deb)
dpkg-deb --info "$deb" >"$work/info"
cat "$work/info"
grep -q "^ Package: ravelin$" "$work/info" || fail "package name"
grep -q "^ Version: $version$" "$work/info" || fail "version"
depends=$(sed -n 's/^ Depends: //p' "$work/info")
for library in libqt6widgets6 libqt6network6 libcurl4 libstdc++6 libc6; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library: $depends"
done
dpkg-deb --contents "$deb" >"$work/contents"
for file in ./usr/bin/ravelin ./usr/bin/ravelin-console ./usr/bin/q3sim ./usr/bin/ravelin-vbs \
    ./usr/libexec/ravelin/gatehop ./usr/share/ravelin/Scripts/InitScripts.txt \
    ./usr/share/applications/org.ravelin.Ravelin.desktop ./usr/share/metainfo/org.ravelin.Ravelin.metainfo.xml; do
    grep -q " $file\$" "$work/contents" || fail "$file is not in the package"
done
if [ -n "${RAVELIN_DEB_OUT:-}" ]; then
    cp "$deb" "$RAVELIN_DEB_OUT"
fi
echo "built $(basename "$deb")"
