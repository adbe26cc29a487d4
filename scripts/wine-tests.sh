#!/usr/bin/env bash
# wine-tests.sh BUILD [CTEST ARGS...]: runs the Windows build's tests. Call it
# inside an X display (xvfb-run). Wine's server and its desktop process are
# started here first, with their output going nowhere: started by a test
# instead, they would hold that test's output pipe open, and CTest would wait
# for them until every other test had finished.
set -euo pipefail
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/wine-prefix.sh" "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
status=0
ctest --test-dir "$build" "$@" || status=$?
wineserver -k || true
exit $status
