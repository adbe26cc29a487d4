#!/usr/bin/env bash
# The installer under Wine: its overhead over the bare command lines, the
# payload write, the CPU of the wait, and the size of the executable.
set -euo pipefail
windows=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
cmake --build "$windows" --target installer_bench TalvaneTVInstaller_nopayload -j2 >/dev/null
source "$windows/bench.env"
"$here/scripts/wine-prefix.sh" "$windows/wineprefix"
xvfb-run -a -s "-screen 0 1280x1024x24" "$here/tests/e2e/run.sh" "$E2E_TVSIM" "$E2E_ROOT" "$E2E_WINE_RUN" "$E2E_BENCH"
size() { stat -c %s "$1"; }
printf 'installer executable                    : %9d bytes\n' "$(size "$E2E_INSTALLER")"
printf 'without the payloads                    : %9d bytes (target < 1048576)\n' "$(size "$E2E_INSTALLER_NOPAYLOAD")"
printf 'payloads: bridge tool %d bytes, package %d bytes\n' "$(size "$E2E_BRIDGE")" "$(size "$E2E_PACKAGE")"
