#!/usr/bin/env bash
# Times the eleven bridge commands of an install against the simulated set,
# one process after another as the installer runs them: natively, and the
# Windows build through cmd.exe under Wine.
# Usage: bridge.sh NATIVE_BUILD WINDOWS_BUILD
set -euo pipefail
native=$1 windows=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${BRIDGE_BENCH_ROUNDS:-5}

# The release tools of the Windows build's host-tools when there, else the
# (sanitized) native build.
bin=$windows/host-tools/bin
[ -x "$bin/tvbridge" ] && [ -x "$bin/tvsim" ] || bin=$native/bin
package=$native/TalvaneTV.wgt
[ -f "$package" ] || package=$windows/TalvaneTV.wgt
root=$repo/resources/test-certs/test-root.pem
for f in "$bin/tvbridge" "$bin/tvsim" "$package"; do
  [ -e "$f" ] || { echo "bridge bench: $f is missing; build first" >&2; exit 1; }
done

TVSIM=$bin/tvsim
source "$repo/scripts/tvsim.sh"
tmp=$(mktemp -d)
trap 'tvsim_stop_all; rm -rf "$tmp"' EXIT
tvsim_start "$tmp/set" 127.0.0.2:0 --series jk --root "$root"
target=$tvsim_target
export TVBRIDGE_STATE_DIR=$tmp/state

app_id=Hx4TnW9cPa.talvanetv
staging=/opt/usr/apps/tmp
commands=(
  "kill-server"
  "connect $target"
  "devices"
  "shell 0 getappinstallpath"
  "shell 0 vd_appuninstall $app_id; echo cmd_ret:\$?;"
  "shell 0 mkdir $staging"
  "push TalvaneTV.wgt $staging/TalvaneTV.wgt"
  "shell 0 vd_appinstall $app_id $staging/TalvaneTV.wgt; echo cmd_ret:\$?;"
  "shell 0 rmfile $staging/TalvaneTV.wgt"
  "shell 0 applist"
  "kill-server"
)
mkdir -p "$tmp/work/doLog"
cp "$package" "$tmp/work/TalvaneTV.wgt"
cd "$tmp/work"

now() { date +%s%N; }
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e6 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "native: $bin/tvbridge against $bin/tvsim, $rounds rounds, median"
declare -a per
totals=()
for ((r = 0; r < rounds; r++)); do
  start=$(now)
  for i in "${!commands[@]}"; do
    t0=$(now)
    # shellcheck disable=SC2086 # split at the spaces, as cmd.exe hands them over
    "$bin/tvbridge" ${commands[$i]} >/dev/null
    per[$i]="${per[$i]:-} $(($(now) - t0))"
  done
  totals+=($(($(now) - start)))
done
for i in "${!commands[@]}"; do
  printf '  %-70s %8s ms\n' "${commands[$i]}" "$(ms "$(tr ' ' '\n' <<<"${per[$i]}" | grep . | median)")"
done
printf '  %-70s %8s ms\n' "all eleven" "$(ms "$(printf '%s\n' "${totals[@]}" | median)")"
cmp -s "$package" "$tmp/set/apps/$app_id.wgt" || { echo "bridge bench: the install did not succeed" >&2; exit 1; }

wine_run=$windows/wine-run
exe=$windows/bin/tvbridge.exe
if [ -x "$wine_run" ] && [ -f "$exe" ]; then
  cp "$exe" iu.exe
  {
    for c in "${commands[@]}"; do printf 'cmd.exe /c "iu.exe %s > nul"\r\n' "$c"; done
  } >install.bat
  # A running installer keeps the Wine session up; so does this.
  # Its output goes nowhere, so that it holds no pipe of the caller's open.
  WINEPREFIX=$windows/wineprefix wineserver -p </dev/null >/dev/null 2>&1 || true
  "$wine_run" cmd.exe /c exit
  base=() total=()
  for ((r = 0; r < 3; r++)); do
    t0=$(now); "$wine_run" cmd.exe /c exit; base+=($(($(now) - t0)))
    t0=$(now); "$wine_run" cmd.exe /c install.bat >/dev/null; total+=($(($(now) - t0)))
  done
  echo "wine: $exe as iu.exe, each command through cmd.exe /c, in one Wine session; 3 rounds, median"
  b=$(printf '%s\n' "${base[@]}" | median)
  t=$(printf '%s\n' "${total[@]}" | median)
  printf '  %-70s %8s ms\n' "all eleven (including one cmd.exe start of $(ms "$b") ms)" "$(ms "$t")"
  WINEPREFIX=$windows/wineprefix wineserver -k || true
fi
