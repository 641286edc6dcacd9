#!/bin/sh
# Installs the build into a temporary prefix and checks what a desktop needs from it: the
# program, the desktop entry and the metainfo (through their validators when those are
# installed), the icons in every size, the guide where the installed program looks for it,
# the manual page, the copyright and changelog files; then builds the Debian package and has
# lintian check it: any error or warning fails.
# Arguments: build folder, cmake, cpack, version, the guide's folder relative to the program's.
set -eu
build=$1
cmake=$2
cpack=$3
version=$4
guide_from_program=$5
id=project.olvessa.Olvessa

prefix=$(mktemp -d)
package_dir=$(mktemp -d)
trap 'rm -rf "$prefix" "$package_dir"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
need_file() {
    [ -f "$prefix/$1" ] || fail "not installed: $1"
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

need_file bin/olvessa
need_file share/applications/$id.desktop
need_file share/metainfo/$id.metainfo.xml
need_file share/icons/hicolor/scalable/apps/$id.svg
need_file share/man/man1/olvessa.1.gz
need_file share/doc/olvessa/copyright
need_file share/doc/olvessa/changelog.gz
need_file "bin/$guide_from_program/manual.pdf"
[ -x "$prefix/bin/olvessa" ] || fail "bin/olvessa is not executable"

# Each PNG is as large as the folder it lies in says (width and height from its header).
for size in 16 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/$id.png
    need_file "$png"
    [ -f "$prefix/$png" ] || continue
    dimensions=$(od -An -tu1 -j16 -N8 "$prefix/$png" |
        awk '{ printf "%d %d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
    [ "$dimensions" = "$size $size" ] || fail "$png is $dimensions, not $size x $size"
done
head -c 8 "$prefix/share/olvessa/manual.pdf" 2>/dev/null | grep -q '^%PDF-' ||
    fail "manual.pdf is not a PDF"

desktop=$prefix/share/applications/$id.desktop
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
else
    echo "desktop-file-validate not installed: the desktop entry is not validated"
fi
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"
grep -qx "Exec=olvessa %f" "$desktop" || fail "the desktop entry starts another program"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
if command -v appstreamcli >/dev/null; then
    out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli: $out"
else
    echo "appstreamcli not installed: the metainfo is not validated"
fi
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo launches another desktop entry"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
grep -q "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" ||
    fail "the metainfo names no project licence"
# Addresses that lead nowhere: no screenshot or home page until the project has a host.
! grep -q "https\?://" "$metainfo" || fail "the metainfo points to a web address"
# The program opens its own databases; it must not claim every SQLite file on the desktop.
! grep -q "^MimeType=" "$desktop" || fail "the desktop entry claims file types"

# The installed program answers without a display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/olvessa" --version) ||
    fail "olvessa --version failed"
[ "$out" = "Olvessa.project $version" ] || fail "olvessa --version says '$out'"

if command -v man >/dev/null; then
    out=$(man --warnings -l "$prefix/share/man/man1/olvessa.1.gz" 2>&1 >/dev/null) ||
        fail "man: $out"
    [ -z "$out" ] || fail "man: $out"
fi

# The Debian package, as a Debian maintainer would check it.
if command -v lintian >/dev/null; then
    if "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$package_dir" >"$package_dir/log" 2>&1; then
        deb=$(ls "$package_dir"/olvessa_*.deb)
        out=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1) ||
            fail "lintian: $out"
        echo "$out"
    else
        fail "cpack: $(cat "$package_dir/log")"
    fi
else
    fail "lintian not installed (scripts/install-deps.sh installs it)"
fi

[ "$failures" -eq 0 ] || exit 1
echo "installed and valid"
