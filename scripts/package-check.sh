#!/usr/bin/env bash
# Installs a built Velmora package with apt, runs the XScreenSaver desktop test against the
# installed files (not the build tree), purges the package and checks that nothing of it is left.
#
#   scripts/package-check.sh build-deb/velmora_VERSION_ARCH.deb
#
# Needs root (or sudo) and the test build in build/ (scripts/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:?the .deb to check}")

as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive

fail() { echo "package-check: $*" >&2; exit 1; }
# The check installs and purges the package: one installed before is replaced, and is gone
# afterwards.
if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q "installed"; then
  echo "package-check: purging the velmora package installed before"
  "${as_root[@]}" apt-get purge -y -qq velmora >/dev/null
fi

"${as_root[@]}" apt-get install -y -qq "$deb" >/dev/null
purged=0
purge() {
  ((purged)) && return
  purged=1
  "${as_root[@]}" apt-get purge -y -qq velmora >/dev/null
}
trap purge EXIT

files=$(dpkg -L velmora)
for f in /usr/bin/velmora /usr/bin/velmora-settings /usr/bin/velmora-render \
  /usr/libexec/xscreensaver/velmora /usr/share/xscreensaver/config/velmora.xml \
  /usr/share/velmora/c.vlm /usr/share/applications/velmora-settings.desktop; do
  [[ -e $f ]] || fail "the package did not install $f"
done
grep -q '^/usr/bin/velmora-packgen$' <<<"$files" && fail "the build tool velmora-packgen is installed"

# The XScreenSaver test, with the hack and resources of the installed package.
(cd build && VELMORA_INSTALLED_PREFIX=/usr ctest --output-on-failure -R '^desktop_xscreensaver')

purge
left=()
while IFS= read -r f; do
  [[ -z $f || -d $f ]] && continue
  [[ -e $f || -L $f ]] && left+=("$f")
done <<<"$files"
[[ -L /usr/libexec/xscreensaver/velmora || -e /usr/libexec/xscreensaver/velmora ]] &&
  left+=(/usr/libexec/xscreensaver/velmora)
[[ -e /usr/share/velmora ]] && left+=(/usr/share/velmora)
((${#left[@]} == 0)) || fail "left behind after purge: ${left[*]}"
dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q "installed" &&
  fail "dpkg still lists velmora after purge"
echo "package-check: installed, ran under XScreenSaver, purged without a trace"
