#!/usr/bin/env bash
# Builds the Debian package, checks the desktop files in it, installs it,
# plays a short headless game with the installed command and removes it
# again, checking that nothing of it is left behind.
#
# Installs and removes system packages: meant for a throwaway machine, as
# root (or with sudo). Safe to run again after a failed run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# The game must not reach for a display server the run happens to inherit.
unset DISPLAY WAYLAND_DISPLAY

# Waits for another apt or dpkg run to finish instead of failing at once.
apt_get() {
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 "$@"
}

fail() {
  echo "package_test: $*" >&2
  exit 1
}

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev
          dpkg-dev desktop-file-utils appstream xauth)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt_get update -q
  apt_get install -y -q --no-install-recommends "${missing[@]}"
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"

echo "== validators"
desktop-file-validate "$root/dist/kwadron.desktop"
appstreamcli validate --pedantic --no-net "$root"/dist/*.metainfo.xml

echo "== package"
# A copy left installed by an earlier run would keep apt from installing
# this build of the same version.
if dpkg -s kwadron >/dev/null 2>&1; then
  apt_get purge -y -q kwadron
fi
deb="$("$root/scripts/package.sh")"
[ -f "$deb" ] || fail "no package at '$deb'"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"

# The installed tree as a whole: the metainfo's launcher must be among the
# desktop files, the manual page must format without warnings.
dpkg-deb -x "$deb" "$tmp/tree"
appstreamcli validate-tree --pedantic --no-net "$tmp/tree"
desktop-file-validate "$tmp"/tree/usr/share/applications/*.desktop
if command -v groff >/dev/null; then
  warnings="$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 "$tmp"/tree/usr/share/man/man6/kwadron.6 2>&1)"
  [ -z "$warnings" ] || fail "manual page: $warnings"
fi

# Every file and link the package holds, as absolute paths.
mapfile -t files < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' | grep -v '/$')
[ ${#files[@]} -gt 0 ] || fail "empty file list"

echo "== install"
apt_get install -y -q "$deb"
dpkg -s kwadron | grep -qx "Status: install ok installed" || fail "not installed after apt-get install"
for f in "${files[@]}"; do
  [ -e "$f" ] || fail "installed package lacks $f"
done

echo "== headless game"
# From a folder of its own, as an ordinary user when there is one to switch
# to, with the PATH a Debian user has: the command must find the program and
# the program its skins, none of them here. A missing skin still ends with
# 0, so the test also asks for a picture of the last screen.
mkdir -p "$tmp/run/home"
printf 'key left\nkey up\nkey esc\n' >"$tmp/run/moves"
runas=()
if [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null && id nobody >/dev/null 2>&1; then
  chown -R nobody "$tmp/run"
  runas=(runuser -u nobody --)
fi
set +e
(cd "$tmp/run" && "${runas[@]}" env -i PATH=/usr/games:/usr/bin:/bin HOME="$tmp/run/home" \
  KWADRON_DISPLAY=headless KWADRON_SCRIPT="$tmp/run/moves" KWADRON_SNAPSHOT="$tmp/run/end.png" \
  timeout 60 kwadron) >"$tmp/out" 2>&1
rc=$?
set -e
cat "$tmp/out"
[ "$rc" -eq 0 ] || fail "installed kwadron exited with $rc"
[ -f "$tmp/run/end.png" ] || fail "the game wrote no picture of its screen"
[ "$(head -c 4 "$tmp/run/end.png" | od -An -c | tr -d ' ')" = "211PNG" ] || fail "the picture of the screen is not a PNG"
leftover="$(find "$tmp/run" -mindepth 1 -not -path "$tmp/run/home*" -not -name moves -not -name end.png)"
[ -z "$leftover" ] || fail "the game left files in the current folder: $leftover"

echo "== remove"
apt_get remove -y -q kwadron
if dpkg -s kwadron >/dev/null 2>&1; then
  dpkg -s kwadron | grep '^Status:' >&2
  fail "dpkg still lists kwadron after apt-get remove"
fi
for f in "${files[@]}"; do
  if [ -e "$f" ] || [ -L "$f" ]; then fail "left after removal: $f"; fi
done
# Folders of the package's own, such as the program's, go with it.
while read -r d; do
  [ ! -d "$d" ] || fail "folder left after removal: $d"
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' | grep '/$' | grep kwadron)

echo "package_test: all passed"
