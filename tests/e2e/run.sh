#!/usr/bin/env bash
# run.sh TVSIM TRUSTED_ROOT WINE_RUN PROGRAM.exe [ARGS...]
# Starts the simulated televisions the end-to-end tests talk to, each on a
# loopback address of its own at the bridge port, runs PROGRAM under Wine,
# and stops the sets again. The program finds the sets through E2E_SET_*.
set -euo pipefail
tvsim=$1 root=$2 winerun=$3
shift 3
tmp=$(mktemp -d /tmp/talvane-e2e.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# start NAME ADDRESS [TVSIM OPTIONS...]: returns once the set listens.
start() {
  local name=$1 address=$2
  shift 2
  mkdir -p "$tmp/$name"
  exec {out}< <(exec "$tvsim" --listen "$address:26101" --state "$tmp/$name" "$@" 2>"$tmp/$name.err")
  pids+=($!)
  local line
  if ! read -r -t 30 -u "$out" line || [[ $line != listening* ]]; then
    echo "simulated set $name did not start: $line $(cat "$tmp/$name.err")" >&2
    exit 1
  fi
}

# A root nobody signed our package with: a set that trusts only it refuses the package.
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Another test root (throwaway)" -days 1 \
  -keyout "$tmp/other.key" -out "$tmp/other.pem" 2>/dev/null

base=${E2E_BASE_ADDRESS:-127.0.0}
start jk "$base.2" --series jk --root "$root"
start mnq "$base.3" --series mnq --root "$root"
start reject "$base.5" --series jk --root "$tmp/other.pem"
start slow "$base.6" --series jk --root "$root" --delay-ms 700
export E2E_SET_JK=$base.2 E2E_SET_MNQ=$base.3 E2E_SET_DOWN=$base.4 E2E_SET_REJECT=$base.5 E2E_SET_SLOW=$base.6
mkdir -p "$tmp/bridge-state"
export TVBRIDGE_STATE_DIR="Z:$tmp/bridge-state"
"$winerun" "$@"
