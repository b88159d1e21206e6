#!/bin/sh
# Fetches stb_image.h v2.30 for bmp4c-grey where the system's own is another
# version: bmp4c-grey reads a GIF's frames through stb_image's internals and
# is tested with v2.30 alone, and the JPEG reader of 2.27 (Debian 12's)
# writes out of bounds on a crafted file: it downloads Debian 13's libstb-dev from the
# Debian mirror that apt already uses, checks the package against its
# SHA-256 below, and unpacks stb_image.h into build-stb/, where the build
# looks first. Nothing goes into the repository or the system, and it
# needs no root.
#
#   tools/stb-image.sh
#
# Without apt or a Debian mirror, give the build a stb_image.h of v2.30: cmake -S . -B build -DBMP4C_STB_INCLUDE=<its folder>.
set -eu
cd "$(dirname "$0")/.."
package=libstb-dev
version=0.0~git20241109.5c20573+ds-1
folder=build-stb
system=/usr/include/stb/stb_image.h
say() { echo "stb-image: $*"; }
# The stb_image that a header's first line names, as a whole number (v2.30
# is 230), and as it is written.
release() { head -n 1 "$1" 2>/dev/null | sed -n 's/.* - v\([0-9]*\)\.\([0-9][0-9]\) - .*/\1\2/p'; }
named() { release "$1" | sed 's/^\(.\)/v\1./'; }

if [ "$(release "$system")" = 230 ]; then
  say "$system is $(named "$system"): the one bmp4c-grey is tested with, nothing to fetch"
  exit 0
fi
if [ "$(release "$folder/stb_image.h")" = 230 ]; then
  say "$folder/stb_image.h is v2.30 already"
  exit 0
fi
nowhere() {
  say "$1; give the build a stb_image.h of v2.30 with -DBMP4C_STB_INCLUDE=<its folder>" >&2
  exit 1
}
command -v apt-get >/dev/null || nowhere "there is no apt-get here"
architecture=$(dpkg --print-architecture)
case $architecture in
  amd64) sum=36fbe0c268c76daa655180ea3c9933afc41c6449ec5e53ef3d4907b516147650 ;;
  arm64) sum=84ad5960b54fe595d5e911fd35c70fcaddb244bf439a5078d8484cb4546a28ab ;;
  *) nowhere "no checksum is known for $package on $architecture" ;;
esac
# The Debian archive that apt is set to use, as its own release (not
# -updates or -security) names it.
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' |
  awk '$1 ~ /\/debian\/?$/ && $2 !~ /-/ { print $1; exit }')
[ -n "$mirror" ] || nowhere "apt uses no Debian mirror here"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts"
echo "deb $mirror trixie main" >"$work/sources.list"
apt="apt-get -q -o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=$work/parts
  -o Dir::State::Lists=$work/lists -o Dir::Cache=$work/cache -o Debug::NoLocking=1
  -o APT::Sandbox::User=$(id -un)"
say "fetching $package $version from $mirror (trixie)"
$apt update >"$work/said" 2>&1 || { cat "$work/said" >&2; nowhere "apt could not read trixie from $mirror"; }
(cd "$work" && $apt download "$package=$version" >"$work/said" 2>&1) ||
  { cat "$work/said" >&2; nowhere "apt could not download $package $version"; }
deb="$work/${package}_${version}_$architecture.deb"
echo "$sum  $deb" | sha256sum --check --quiet - || nowhere "$package does not have the SHA-256 expected"
dpkg-deb --fsys-tarfile "$deb" | tar -x -O ./usr/include/stb/stb_image.h >"$work/stb_image.h"
mkdir -p "$folder"
mv "$work/stb_image.h" "$folder/stb_image.h"
say "$folder/stb_image.h is $(named "$folder/stb_image.h")"
