#!/usr/bin/env bash
# Builds the downloadable artifacts into dist/, optimised and stripped:
#   dist/Morvelle-1.00.003-windows-x64.zip  morvelle.exe, morvelle.com,
#                                           README.md, the example trend
#   dist/morvelle_1.0.3_amd64.deb           morvelle and morvelle-window
#                                           with two menu entries (the main
#                                           and the "Many trends" window),
#                                           its icon and the man page
# Installs what it needs when missing (MinGW-w64, help2man, zip).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh g++-mingw-w64-x86-64 help2man zip dpkg-dev

version=$(sed -n 's/^project(Morvelle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor revision <<<"$version"
shown=$(printf '%d.%02d.%03d' "$major" "$minor" "$revision")
dist="$PWD/dist"
rm -rf "$dist"
mkdir -p "$dist"
# -s strips; the Release flags leave the cross build's -static in place.
release=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELLE_BUILD_TESTS=OFF
         -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s)

# ---- Windows: one folder, no DLLs.
cmake -S . -B build-release-windows "${release[@]}" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build-release-windows -j2 --target morvelle morvelle_console
if x86_64-w64-mingw32-objdump -p build-release-windows/morvelle.exe |
  grep -iE 'DLL Name: (lib|mingw)'; then
  echo "release: morvelle.exe needs MinGW's DLLs" >&2
  exit 1
fi
stage="$dist/stage/Morvelle-$shown"
mkdir -p "$stage/examples"
cp build-release-windows/morvelle.exe build-release-windows/morvelle.com \
  README.md "$stage/"
cp examples/Trend1.* "$stage/examples/"
(cd "$dist/stage" && zip -qr "$dist/Morvelle-$shown-windows-x64.zip" .)

# ---- Debian: the program and the window program it hands over to, a
# desktop entry, its icon, the man page.
cmake -S . -B build-release "${release[@]}" >/dev/null
cmake --build build-release -j2 --target morvelle morvelle_window
root="$dist/stage/deb"
install -D -m 755 build-release/morvelle "$root/usr/bin/morvelle"
install -D -m 755 build-release/morvelle-window "$root/usr/bin/morvelle-window"
install -D -m 644 src/app/morvelle.png \
  "$root/usr/share/icons/hicolor/64x64/apps/morvelle.png"
install -D -m 644 /dev/stdin "$root/usr/share/applications/morvelle.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Morvelle
Comment=Rename Ostrel trends
Exec=morvelle
Icon=morvelle
Terminal=false
Categories=Utility;
StartupWMClass=Morvelle
DESKTOP
# A second entry: the window for renaming many trends of a folder at once.
install -D -m 644 /dev/stdin "$root/usr/share/applications/morvelle-many.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Morvelle - Many trends
Comment=Rename many Ostrel trends of a folder at once
Exec=morvelle --many
Icon=morvelle
Terminal=false
Categories=Utility;
StartupWMClass=Morvelle
DESKTOP
mkdir -p "$root/usr/share/man/man1"
# The same usage text as --help.
help2man --no-info --section=1 --name="rename Ostrel trends" \
  --version-string="$version" build-release/morvelle |
  gzip -9n >"$root/usr/share/man/man1/morvelle.1.gz"
mkdir -p "$root/DEBIAN"
cat >"$root/DEBIAN/control" <<CONTROL
Package: morvelle
Version: $version
Architecture: amd64
Maintainer: The Morvelle developers <morvelle@localhost>
Depends: libqt6widgets6, libqt6gui6, libqt6core6, libstdc++6, libc6
Section: utils
Priority: optional
Description: rename trends of the Ostrel runtime
 Renames a trend's history file and data files inside their folder and
 rewrites the path and tag they record, from a window or the command line.
CONTROL
dpkg-deb --root-owner-group --build "$root" \
  "$dist/morvelle_${version}_amd64.deb" >/dev/null
rm -rf "$dist/stage"
ls -l "$dist"
