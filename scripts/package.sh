#!/usr/bin/env bash
# Builds the Debian package of this tree (installing the build dependencies with apt), checks it
# with lintian and desktop-file-validate, and leaves it in build-deb/.
#
#   scripts/package.sh             build and check the package
#   scripts/package.sh --install   also install it with apt, run the XScreenSaver desktop test
#                                  against the installed files, purge it, and check that nothing
#                                  of it is left (needs root and a build/ made by scripts/test.sh)
#
# Then install it with: apt install ./build-deb/velmora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

install_check=0
case ${1:-} in
  --install) install_check=1 ;;
  "") ;;
  -h | --help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "package.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
esac

as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive

tools=(dpkg-dev debhelper lintian desktop-file-utils)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The build dependencies as debian/control names them.
"${as_root[@]}" apt-get build-dep -y -qq ./ >/dev/null

# Build from a copy of the sources (tracked and new files, none of the build folders), so the
# package never picks up a build tree and the .deb lands in build-deb/.
out=$PWD/build-deb
version=$(dpkg-parsechangelog -S Version)
rm -rf "$out"
mkdir -p "$out/velmora-$version"
git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - |
  tar -xf - -C "$out/velmora-$version"
(cd "$out/velmora-$version" && dpkg-buildpackage -us -uc -b -j"$(nproc)" > "$out/build.log" 2>&1) ||
  { tail -n 40 "$out/build.log"; echo "package.sh: the package did not build (log: $out/build.log)" >&2; exit 1; }
deb=$(ls "$out"/velmora_"$version"_*.deb)
echo "built $deb"

desktop-file-validate data/velmora-settings.desktop
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --display-info "$deb" | tee "$out/lintian.log"

if ((install_check)); then
  bash scripts/package-check.sh "$deb"
fi
