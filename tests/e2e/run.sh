#!/usr/bin/env bash
# run.sh TVSIM TRUSTED_ROOT WINE_RUN PROGRAM.exe [ARGS...]
# Starts the simulated televisions the end-to-end tests talk to, each on a
# loopback address of its own at the bridge port, runs PROGRAM under Wine,
# and stops the sets again. The program finds the sets through E2E_SET_*.
set -euo pipefail
tvsim=$1 root=$2 winerun=$3
shift 3
top=$(cd "$(dirname "$0")/../.." && pwd)
TVSIM=$tvsim
source "$top/scripts/tvsim.sh"
tmp=$(mktemp -d /tmp/talvane-e2e.XXXXXX)
trap 'tvsim_stop_all; rm -rf "$tmp"' EXIT

# A root nobody signed our package with: a set that trusts only it refuses the package.
other_root=$top/resources/test-certs/test-other-root.pem
base=${E2E_BASE_ADDRESS:-127.0.0}
tvsim_start "$tmp/jk" "$base.2:26101" --series jk --root "$root"
tvsim_start "$tmp/mnq" "$base.3:26101" --series mnq --root "$root"
tvsim_start "$tmp/reject" "$base.5:26101" --series jk --root "$other_root"
tvsim_start "$tmp/slow" "$base.6:26101" --series jk --root "$root" --delay-ms 700
export E2E_SET_JK=$base.2 E2E_SET_MNQ=$base.3 E2E_SET_DOWN=$base.4 E2E_SET_REJECT=$base.5 E2E_SET_SLOW=$base.6
mkdir -p "$tmp/bridge-state"
export TVBRIDGE_STATE_DIR="Z:$tmp/bridge-state"
"$winerun" "$@"
