#!/usr/bin/env bash
# wine-prefix.sh PREFIX [DPI]: makes a Wine prefix once (wineboot, then waits
# for wineserver), optionally with a display DPI other than 96. Safe to call
# from tests running in parallel: the first caller prepares it under a lock.
set -euo pipefail
prefix=$1
dpi=${2:-}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$prefix/.talvane-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.talvane-ready" ] && exit 0
wineboot --init >/dev/null 2>&1
if [ -n "$dpi" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi
wineserver -w
touch "$prefix/.talvane-ready"
