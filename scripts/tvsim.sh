# Sourced by the scripts that need a simulated television (tools/tvsim).
# TVSIM names the executable. Sets started here are stopped by tvsim_stop_all,
# which the caller puts in its EXIT trap.
tvsim_pids=()

# tvsim_start STATE_DIR ADDRESS:PORT [TVSIM OPTIONS...]: starts a set and
# returns once it listens, with its pid in $tvsim_pid and its address in
# $tvsim_target (port 0 picks a free one). Its standard error goes to
# STATE_DIR.log.
tvsim_start() {
  local state=$1 listen=$2 line=
  shift 2
  mkdir -p "$state"
  rm -f "$state.ready"
  mkfifo "$state.ready"
  "$TVSIM" --listen "$listen" --state "$state" "$@" >"$state.ready" 2>"$state.log" &
  tvsim_pid=$!
  tvsim_pids+=("$tvsim_pid")
  read -r -t 30 line <"$state.ready" || true
  rm -f "$state.ready"
  if [[ $line != "listening on "* ]]; then
    echo "the simulated set at $listen did not start: $line $(cat "$state.log")" >&2
    return 1
  fi
  tvsim_target=${line#listening on }
}

tvsim_stop_all() {
  local pid
  for pid in "${tvsim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${tvsim_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  tvsim_pids=()
}
