#!/bin/sh
# Builds the Debian package with CPack and checks what apt and software
# centres read from it: the control fields, the installed files, and the
# packaged desktop file and AppStream metainfo.
#
#   check_package.sh CPackConfig.cmake EXPECTED_VERSION
set -eu
config=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack -G DEB --config "$config" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
deb=$(ls "$work"/tunara_*.deb)
echo "built $(basename "$deb")"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
field() { dpkg-deb --field "$deb" "$1"; }

# Control fields.
[ "$(field Package)" = tunara ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project is $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# Libraries found by dpkg-shlibdeps (since Debian 13 some named with "t64",
# for their 64-bit time), and plugins and modules loaded at run time.
for package in libc6 libqt6core6 libqt6quick6 libqt6dbus6 libgstreamer1.0-0 libsoup-3.0-0 \
               qt6-qpa-plugins qml6-module-qtquick-controls gstreamer1.0-plugins-good glib-networking; do
  echo "$depends" | grep -Eq "(^|, )$package(t64)?( |,|$)" || fail "Depends lacks $package: $depends"
done

# Files.
dpkg-deb --extract "$deb" "$work/root"
root=$work/root/usr
desktop=$root/share/applications/tunara.desktop
icon=$root/share/icons/hicolor/scalable/apps/tunara.svg
metainfo=$(ls "$root"/share/metainfo/*.metainfo.xml 2>/dev/null || echo "$root/share/metainfo/*.metainfo.xml")
[ -x "$root/bin/tunara" ] || fail "no executable usr/bin/tunara"
# The media backend, loaded at the first play from beside the program's
# library folder.
ls "$root"/lib/tunara/libtunara-gstreamer.so >/dev/null 2>&1 || fail "no media backend module under usr/lib/tunara"
for file in "$desktop" "$icon" "$metainfo"; do
  if [ ! -f "$file" ]; then
    echo "FAIL: missing ${file#"$work/root/"}; the package holds:"
    dpkg-deb --contents "$deb"
    exit 1
  fi
done

# The desktop file and metainfo validate, and name each other, the icon and
# the program consistently.
desktop-file-validate "$desktop" || fail "desktop file does not validate"
appstreamcli validate --no-net "$metainfo" || fail "metainfo does not validate"
grep -qx "Icon=tunara" "$desktop" || fail "desktop file's Icon is not tunara"
grep -qx "Exec=tunara" "$desktop" || fail "desktop file's Exec is not tunara"
grep -q "<launchable type=\"desktop-id\">tunara.desktop</launchable>" "$metainfo" \
  || fail "metainfo does not launch tunara.desktop"
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$release" = "$version" ] || fail "metainfo's newest release is '$release', the project is $version"

[ "$failures" -eq 0 ]
