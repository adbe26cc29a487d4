#!/usr/bin/env bash
# run.sh WINDOWS_BUILD BUILD: starts a simulated television (a J,K set) on
# 127.0.0.2 and the installer, working in BUILD/run, where the step logs go.
# With a display, the window is the user's. Without one, the same happens under
# Xvfb, scripted: the address is typed, the button pressed, a screenshot saved
# to BUILD/window.png, and the outcome and the set's application list printed.
set -euo pipefail
build=$(cd "$1" && pwd)
top=$(mkdir -p "$2" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if ! { [ -n "${DISPLAY:-}" ] && xwininfo -root >/dev/null 2>&1; } && [ "${TALVANE_IN_XVFB:-}" != 1 ]; then
  echo "run: no display; installing under Xvfb, scripted"
  TALVANE_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
source "$build/bench.env"
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/wine-prefix.sh" "$WINEPREFIX"

work=$top/run tv=$top/tv
rm -rf "$tv" "$work/demo-status.txt"
mkdir -p "$work" "$tv"
TVSIM=$E2E_TVSIM
source "$here/tvsim.sh"
trap tvsim_stop_all EXIT
tvsim_start "$tv" 127.0.0.2:26101 --series jk --root "$E2E_ROOT" ||
  { echo "run: the simulated television did not start" >&2; exit 1; }
echo "run: simulated J,K television listening on $tvsim_target (state in $tv)"

report() {
  echo "run: step logs in $work/doLog: $(cd "$work/doLog" 2>/dev/null && ls | tr '\n' ' ')"
  echo "run: applications on the set: $(cd "$tv/apps" 2>/dev/null && ls | sed 's/\.wgt$//' | tr '\n' ' ')"
}

if [ "${TALVANE_IN_XVFB:-}" != 1 ]; then
  echo "run: type 127.0.0.2 into the address box, keep J,K and press the install button"
  (cd "$work" && wine "$E2E_INSTALLER")
  report
  exit 0
fi

demo=$E2E_DEMO
cd "$work"
wine explorer /desktop=TalvaneTV,1000x700 "$demo" "$E2E_INSTALLER" 127.0.0.2 &
for _ in $(seq 1 600); do [ -s demo-status.txt ] && break; sleep 0.5; done
[ -s demo-status.txt ] || { echo "run: the scripted install did not finish" >&2; exit 1; }
geometry=$(xwininfo -name "Talvane TV Tizen Widget Installator" | awk '
  /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /Width:/ {w=$NF} /Height:/ {h=$NF} END {if (w) print w "x" h "+" x "+" y}')
import -window root -crop "$geometry" +repage "$top/window.png"
wine explorer /desktop=TalvaneTV,1000x700 "$demo" --close
wineserver -w
echo "run: the window says: $(cat demo-status.txt)"
echo "run: screenshot saved to $top/window.png"
report
