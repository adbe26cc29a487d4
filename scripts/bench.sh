#!/usr/bin/env bash
# Runs every benchmark under scripts/bench.d; each prints its own figures.
# Usage: bench.sh NATIVE_BUILD WINDOWS_BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for b in "$here"/bench.d/*.sh; do
  [ -e "$b" ] || continue
  echo "== $(basename "$b" .sh)"
  bash "$b" "$@"
done
