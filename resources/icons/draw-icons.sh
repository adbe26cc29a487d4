#!/usr/bin/env bash
# Redraws the program's icons (program.ico, window.ico, install.ico) beside
# this script from draw_icons.cpp. The .ico files are committed, so the build
# does not need this; run it after changing a picture.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -o "$tmp/draw_icons" "$here/draw_icons.cpp"
"$tmp/draw_icons" "$here"
