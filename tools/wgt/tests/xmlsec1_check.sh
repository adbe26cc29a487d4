#!/usr/bin/env bash
# The xmlsec1 tool (the library that televisions check signatures with) accepts
# both signatures of the built package, run from the extracted package's root,
# and rejects them once any file is changed by one byte or dropped.
# usage: xmlsec1_check.sh <package.wgt> <root.pem> <cmake>
set -euo pipefail
package=$1 root=$2 cmake=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files="main.js config.xml index.html logo_117.png css/style.css author-signature.xml signature1.xml"

fresh() {
  rm -rf "$work/pkg" && mkdir "$work/pkg"
  (cd "$work/pkg" && "$cmake" -E tar xf "$package")
}
# Succeeds when xmlsec1 accepts both signature files in the current folder.
both_verify() {
  for sig in author-signature.xml signature1.xml; do
    [ -f "$sig" ] || return 1
    xmlsec1 --verify --trusted-pem "$root" "$sig" >"$work/out" 2>&1 || return 1
  done
}
flip() { # flip one bit of the byte at offset $2 of file $1
  perl -e 'open(F, "+<", $ARGV[0]) or die; binmode F; seek(F, $ARGV[1], 0); read(F, $c, 1);
           seek(F, $ARGV[1], 0); print F chr(ord($c) ^ 4); close F' "$1" "$2"
}

fresh
(cd "$work/pkg" && both_verify) || { cat "$work/out"; echo "FAIL: xmlsec1 rejects the built package"; exit 1; }
echo "ok: xmlsec1 verifies author-signature.xml and signature1.xml"

failures=0
for f in $files; do
  size=$(stat -c %s "$work/pkg/$f")
  for pos in 0 $((size / 2)) $((size - 1)); do
    fresh
    flip "$work/pkg/$f" "$pos"
    if (cd "$work/pkg" && both_verify); then
      echo "FAIL: xmlsec1 accepts the package with byte $pos of $f changed"
      failures=$((failures + 1))
    fi
  done
  fresh
  rm "$work/pkg/$f"
  if (cd "$work/pkg" && both_verify); then
    echo "FAIL: xmlsec1 accepts the package without $f"
    failures=$((failures + 1))
  fi
done
[ $failures -eq 0 ] || exit 1
echo "ok: every changed byte and every dropped file fails"
