#!/usr/bin/env bash
# unprivileged.sh PROGRAM.exe [ARGS...]: runs a Windows test program under Wine
# as an ordinary user. Root writes read-only files and folders, so checks of
# what a user without write access sees only mean something without root.
# The program is copied to a folder that user can read (the build tree may sit
# under a private home), and runs in that user's own Wine prefix. Windows has
# no call that makes a folder unwritable under Wine, so a folder without write
# access is made here and named in TALVANE_READONLY_DIR.
set -euo pipefail
user=talvane-test
home=/var/lib/$user
if [ "$(id -u)" -ne 0 ]; then
  ro=$(mktemp -d /tmp/talvane-ro.XXXXXX)
  chmod 555 "$ro"
  trap 'rmdir "$ro"' EXIT
  TALVANE_REQUIRE_PERMISSIONS=1 TALVANE_READONLY_DIR="Z:$ro" wine "$@"
  exit
fi
id -u "$user" >/dev/null 2>&1 || useradd --system --home-dir "$home" --create-home --shell /usr/sbin/nologin "$user"
mkdir -p "$home"
chown "$user" "$home"
here=$(cd "$(dirname "$0")" && pwd)
stage=$(mktemp -d /tmp/talvane-unpriv.XXXXXX)
trap 'rm -rf "$stage"' EXIT
cp "$1" "$stage/"
cp "$here/wine-prefix.sh" "$stage/"
mkdir "$stage/readonly"
chmod -R a+rX "$stage"
chmod 555 "$stage/readonly"
shift_prog="$stage/$(basename "$1")"
shift
runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" \
  bash -c '"$1/wine-prefix.sh" "$HOME/wineprefix" && WINEPREFIX="$HOME/wineprefix" WINEDEBUG=-all \
           WINEDLLOVERRIDES="mscoree,mshtml=" TALVANE_REQUIRE_PERMISSIONS=1 \
           TALVANE_READONLY_DIR="Z:$1/readonly" exec wine "${@:2}"' \
  _ "$stage" "$shift_prog" "$@"
