#!/usr/bin/env bash
# The Windows build of the bridge, run as iu.exe through cmd.exe under Wine,
# installs the package on the native simulated set with the installer's
# eleven command lines; then a set that refuses the host fails the connect.
# Usage: wine_install.sh TVBRIDGE_EXE TVSIM WINE_RUN PACKAGE TRUSTED_ROOT
set -euo pipefail
bridge=$1 tvsim=$2 wine_run=$3 package=$4 root=$5
app_id=Hx4TnW9cPa.talvanetv
staging=/opt/usr/apps/tmp

TVSIM=$tvsim
source "$(dirname "$0")/../../../scripts/tvsim.sh"
tmp=$(mktemp -d)
trap 'tvsim_stop_all; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts a set in the background and sets $target once it listens.
start_set() {
  tvsim_start "$tmp/set" 127.0.0.2:0 --series jk --root "$root" "$@" || fail "the simulated set did not start"
  target=$tvsim_target
}
stop_set() {
  kill "$tvsim_pid"
  wait "$tvsim_pid" || fail "the simulated set did not end cleanly"
  tvsim_pids=()
}

mkdir -p "$tmp/work/doLog"
cp "$bridge" "$tmp/work/iu.exe"
cp "$package" "$tmp/work/TalvaneTV.wgt"
export TVBRIDGE_STATE_DIR=$tmp/state
cd "$tmp/work"

start_set
run() { "$wine_run" cmd.exe /c "$1"; }
run "iu.exe kill-server"
run "iu.exe connect $target > doLog\\step1.txt"
run "iu.exe devices > doLog\\step2.txt"
run "iu.exe shell 0 getappinstallpath > doLog\\step3.txt"
run "iu.exe shell 0 vd_appuninstall $app_id; echo cmd_ret:\$?; > doLog\\step4.txt"
run "iu.exe shell 0 mkdir $staging"
run "iu.exe push TalvaneTV.wgt $staging/TalvaneTV.wgt > doLog\\step5.txt"
run "iu.exe shell 0 vd_appinstall $app_id $staging/TalvaneTV.wgt; echo cmd_ret:\$?; > doLog\\step6.txt"
run "iu.exe shell 0 rmfile $staging/TalvaneTV.wgt"
run "iu.exe shell 0 applist > doLog\\step7.txt"
run "iu.exe kill-server"

expect() { # file, fixed text
  grep -qF -- "$2" "doLog/$1" || { cat "doLog/$1" >&2; fail "doLog/$1 lacks '$2'"; }
}
expect step1.txt "connected to $target"
expect step2.txt "List of devices attached "
expect step2.txt "device"
expect step3.txt "/opt/usr/apps"
expect step4.txt "app_id[$app_id] uninstall failed[132]"
expect step4.txt "cmd_ret:0"
expect step5.txt "1 file(s) pushed. 0 file(s) skipped."
expect step6.txt "app_id[$app_id] install completed"
expect step6.txt "cmd_ret:0"
expect step7.txt "app_id[$app_id]"
# The Windows build ends its own lines as Windows programs do.
[ "$(head -c 2 <(tail -c 2 doLog/step1.txt) | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "step1.txt lines do not end in CR LF"
cmp -s "$package" "$tmp/set/apps/$app_id.wgt" || fail "the set does not hold the installed package"
[ ! -e "$tmp/set/fs$staging/TalvaneTV.wgt" ] || fail "rmfile left the pushed package"
[ ! -e "$TVBRIDGE_STATE_DIR/target" ] || fail "kill-server left the target"
stop_set

rm -rf "$tmp/set"
start_set --allow-host 127.0.0.9
if run "iu.exe connect $target > doLog\\step1.txt"; then fail "connect to a set that refuses the host succeeded"; fi
expect step1.txt "failed to connect to $target"
stop_set
# Nothing listens there any more.
if run "iu.exe connect $target > doLog\\step1.txt"; then fail "connect to a closed port succeeded"; fi
expect step1.txt "failed to connect to $target"
echo "ok"
