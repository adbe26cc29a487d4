#!/usr/bin/env bash
# run.sh WINDOWS_BUILD BUILD: opens the installer window under Wine on the
# user's display. Without a display it opens it under Xvfb instead and saves
# a screenshot to BUILD/window.png.
set -euo pipefail
build=$1
top=$2
if [ -n "${DISPLAY:-}" ] && xwininfo -root >/dev/null 2>&1; then
  export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  "$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
  cd "$build"
  exec wine TalvaneTVInstaller.exe
fi
echo "run: no display; opening the window under Xvfb for a screenshot"
bash "$(dirname "$0")/screenshot.sh" "$build" "$top/window.png"
