#!/usr/bin/env bash
# screenshot.sh WINDOWS_BUILD OUTPUT.png: opens the installer under Wine in a
# virtual X display (Wine draws the window frame itself in its virtual
# desktop) and saves a picture of the window.
set -euo pipefail
build=$1
out=$2
[ -f "$build/TalvaneTVInstaller.exe" ] || { echo "screenshot: $build/TalvaneTVInstaller.exe is not built" >&2; exit 1; }
build=$(cd "$build" && pwd)
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"

shoot() {
  local caption="Talvane TV Tizen Widget Installator" geometry="" i
  cd "$build"
  wine explorer /desktop=TalvaneTV,1000x700 TalvaneTVInstaller.exe &
  wine_pid=$!
  trap 'kill $wine_pid 2>/dev/null || true' EXIT
  for i in $(seq 1 120); do
    geometry=$(xwininfo -name "$caption" 2>/dev/null | awk '
      /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
      /Width:/ {w=$NF} /Height:/ {h=$NF} END {if (w) print w "x" h "+" x "+" y}') || true
    [ -n "$geometry" ] && break
    sleep 0.5
  done
  [ -n "$geometry" ] || { echo "screenshot: the window did not open" >&2; exit 1; }
  sleep 2 # let the first paint finish
  import -window root -crop "$geometry" +repage "$1"
}
if [ "${TALVANE_IN_XVFB:-}" = 1 ]; then
  shoot "$out"
else
  TALVANE_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "$out"
  echo "screenshot: saved $out"
fi
