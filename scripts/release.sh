#!/usr/bin/env bash
# Builds the downloadable artifacts into dist/, optimised and stripped:
#   dist/Morvelle-1.00.003-windows-x64.zip  morvelle.exe, morvelle.com,
#                                           Many trends.cmd, README.txt,
#                                           the example trend
#   dist/morvelle_1.0.3-1_amd64.deb         morvelle and morvelle-window
#                                           with two menu entries (the main
#                                           and the "Many trends" window),
#                                           their icons, manual pages, bash
#                                           completion, copyright, changelog
# and prints their sizes as README.md's Install section gives them, warning
# where it gives others. Fails when a manual page does not format cleanly,
# a desktop entry does not validate or lintian finds an error in the
# package. Installs what it needs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh g++-mingw-w64-x86-64 zip dpkg-dev lintian \
  desktop-file-utils librsvg2-bin

version=$(sed -n 's/^project(Morvelle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor revision <<<"$version"
shown=$(printf '%d.%02d.%03d' "$major" "$minor" "$revision")
# The Debian revision: the packaging's own changes to the same program.
deb_version="$version-1"
zip_name="Morvelle-$shown-windows-x64.zip"
deb_name="morvelle_${deb_version}_amd64.deb"
dist="$PWD/dist"
rm -rf "$dist"
mkdir -p "$dist"
fail() {
  echo "release: $*" >&2
  exit 1
}
# -s strips; the Release flags leave the cross build's -static in place.
release=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELLE_BUILD_TESTS=OFF
         -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s)

# ---- Checks that need no build, before the long ones.
for page in docs/*.1; do
  grep -q "^\.TH .* \"Morvelle $version\"" "$page" ||
    fail "$page does not name version $version in its .TH line"
done
head -n 1 packaging/deb/changelog | grep -qF "morvelle ($deb_version) " ||
  fail "packaging/deb/changelog does not start with version $deb_version"
for entry in packaging/deb/*.desktop; do
  desktop-file-validate "$entry" || fail "$entry does not validate"
done

# ---- Windows: one folder, no DLLs, a README in plain text.
cmake -S . -B build-release-windows "${release[@]}" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build-release-windows -j2 --target morvelle morvelle_console
if x86_64-w64-mingw32-objdump -p build-release-windows/morvelle.exe |
  grep -iE 'DLL Name: (lib|mingw)'; then
  fail "morvelle.exe needs MinGW's DLLs"
fi
stage="$dist/stage/Morvelle-$shown"
mkdir -p "$stage/examples"
cp build-release-windows/morvelle.exe build-release-windows/morvelle.com \
  "$stage/"
# Text files with Windows line ends, which every Notepad shows as lines.
crlf() { sed 's/\r*$/\r/'; }
sed -e "s/@SHOWN@/$shown/g" -e "s/@VERSION@/$version/g" \
  packaging/windows/README.txt.in | crlf >"$stage/README.txt"
crlf <"packaging/windows/Many trends.cmd" >"$stage/Many trends.cmd"
cp examples/Trend1.* "$stage/examples/"
(cd "$dist/stage" && zip -qr "$dist/$zip_name" .)

# ---- Debian: the program and the window program it hands over to, their
# manual pages, the desktop entries and icons, the bash completion, the
# copyright and the changelog.
# With the hardening Debian builds its packages with.
cmake -S . -B build-release "${release[@]}" \
  "-DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
  "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" >/dev/null
cmake --build build-release -j2 --target morvelle morvelle_window
./tests/command-line-docs.sh build-release/morvelle >/dev/null ||
  fail "the manual pages or the completion do not pass tests/command-line-docs.sh"
root="$dist/stage/deb"
install -D -m 755 build-release/morvelle "$root/usr/bin/morvelle"
install -D -m 755 build-release/morvelle-window "$root/usr/bin/morvelle-window"
man1="$root/usr/share/man/man1"
doc="$root/usr/share/doc/morvelle"
icons="$root/usr/share/icons/hicolor"
install -d -m 755 "$man1" "$doc" "$icons/scalable/apps"
for page in docs/*.1; do
  gzip -9n <"$page" >"$man1/${page##*/}.gz"
done
gzip -9n <packaging/deb/changelog >"$doc/changelog.Debian.gz"
install -m 644 packaging/deb/copyright "$doc/copyright"
install -D -m 644 packaging/deb/lintian-overrides \
  "$root/usr/share/lintian/overrides/morvelle"
install -D -m 644 -t "$root/usr/share/applications" packaging/deb/*.desktop
install -D -m 644 packaging/deb/morvelle.bash-completion \
  "$root/usr/share/bash-completion/completions/morvelle"
install -m 644 src/app/morvelle.svg "$icons/scalable/apps/morvelle.svg"
for size in 16 22 24 32 48 64 128 256; do
  install -d -m 755 "$icons/${size}x$size/apps"
  rsvg-convert -w "$size" -h "$size" src/app/morvelle.svg \
    -o "$icons/${size}x$size/apps/morvelle.png"
done
chmod 644 "$icons"/*/apps/morvelle.png
mkdir -p "$root/DEBIAN"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) \
  >"$root/DEBIAN/md5sums"
# Installed-Size is in KiB, as dpkg-gencontrol counts it: the files'
# apparent sizes.
installed_size=$(du -sk --apparent-size --exclude=DEBIAN "$root" | cut -f1)
cat >"$root/DEBIAN/control" <<CONTROL
Package: morvelle
Version: $deb_version
Architecture: amd64
Maintainer: The Morvelle developers <morvelle@example.org>
Installed-Size: $installed_size
Depends: libqt6widgets6, libqt6gui6, libqt6core6, libstdc++6, libc6
Section: utils
Priority: optional
Description: rename trends of the Ostrel runtime
 Renames a trend's history file and data files inside their folder and
 rewrites the path and tag they record, from a window or the command line.
CONTROL
dpkg-deb --root-owner-group --build "$root" "$dist/$deb_name" >/dev/null
rm -rf "$dist/stage"
echo "lintian $deb_name:"
lintian --fail-on error --display-info "$dist/$deb_name" ||
  fail "lintian found errors in $deb_name"

# ---- Sizes, in the words of README.md's Install section.
grouped() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta'; }
kib() { echo $((($(stat -c %s "$1") + 1023) / 1024)) | grouped; }
readme_says() {
  grep -qF -- "$1" README.md || {
    echo "release: README.md should say: $1" >&2
    stale=1
  }
}
stale=
echo "Sizes:"
for file in "$dist/$zip_name" "$dist/$deb_name" \
  build-release-windows/morvelle.exe build-release-windows/morvelle.com; do
  printf '  %-36s %9s KiB (%s bytes)\n' "${file##*/}" "$(kib "$file")" \
    "$(stat -c %s "$file" | grouped)"
done
readme_says "| \`$zip_name\` | $(kib "$dist/$zip_name") KiB |"
readme_says "| \`$deb_name\` | $(kib "$dist/$deb_name") KiB |"
readme_says "\`morvelle.exe\` ($(kib build-release-windows/morvelle.exe) KiB"
[ -z "$stale" ] || echo "release: README.md gives other sizes: update it" >&2
ls -l "$dist"
