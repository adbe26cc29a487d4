#!/usr/bin/env bash
# unprivileged.sh [--with FILE]... PROGRAM.exe [ARGS...]: runs a Windows test
# program under Wine as an ordinary user. Root writes read-only files and
# folders, so checks of what a user without write access sees only mean
# something without root.
# The program and the --with files are copied to a folder that user can read
# (the build tree may sit under a private home), named in TALVANE_STAGE, and
# the program runs in that user's own Wine prefix, on the caller's display.
# Windows has no call that makes a folder unwritable under Wine, so a folder
# without write access is made here and named in TALVANE_READONLY_DIR.
set -euo pipefail
user=talvane-test
home=/var/lib/$user
here=$(cd "$(dirname "$0")" && pwd)
with=()
while [ "${1:-}" = --with ]; do with+=("$2"); shift 2; done

stage=$(mktemp -d /tmp/talvane-unpriv.XXXXXX)
trap 'chmod -R u+w "$stage"; rm -rf "$stage"' EXIT
cp "$1" "${with[@]}" "$here/wine-prefix.sh" "$stage/"
[ -n "${XAUTHORITY:-}" ] && cp "$XAUTHORITY" "$stage/xauthority"
mkdir "$stage/readonly"
chmod -R a+rX "$stage"
chmod 555 "$stage/readonly"
program="$stage/$(basename "$1")"
shift

if [ "$(id -u)" -ne 0 ]; then
  TALVANE_REQUIRE_PERMISSIONS=1 TALVANE_STAGE="Z:$stage" TALVANE_READONLY_DIR="Z:$stage/readonly" \
    wine "$program" "$@"
  exit
fi
id -u "$user" >/dev/null 2>&1 || useradd --system --home-dir "$home" --create-home --shell /usr/sbin/nologin "$user"
mkdir -p "$home"
chown "$user" "$home"
runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="${DISPLAY:-}" \
  XAUTHORITY="$stage/xauthority" \
  bash -c '"$1/wine-prefix.sh" "$HOME/wineprefix" && WINEPREFIX="$HOME/wineprefix" WINEDEBUG=-all \
           WINEDLLOVERRIDES="mscoree,mshtml=" TALVANE_REQUIRE_PERMISSIONS=1 TALVANE_STAGE="Z:$1" \
           TALVANE_READONLY_DIR="Z:$1/readonly" exec wine "${@:2}"' \
  _ "$stage" "$program" "$@"
