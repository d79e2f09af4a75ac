#!/usr/bin/env bash
# trace.sh — the trace tool compiled for node by web/build.sh prints the same
# CSV, byte for byte, as the native one: every preset for 3000 batches (with a
# thrust of body 2 on the way, as the phasing and transfer presets are used),
# and a chaotic run of fifteen mutually attracting bodies for 20000 batches.
#
#   web/tests/trace.sh [NATIVE_TRACE] [NODE_TRACE_JS]
# defaults: build/orbelune-trace and build-web/orbelune-trace.js.  The node
# build holds the presets under /data and tests/unit/data/core under /core.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
natif="$(realpath "${1:-$top/build/orbelune-trace}")"
web="$(realpath "${2:-$top/build-web/orbelune-trace.js}")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

echecs=0
compare() {  # compare NAME NATIVE_FILE NODE_FILE OPTIONS...
  local nom="$1" local_="$2" embarque="$3"
  shift 3
  "$natif" "$@" "$local_" >"$tmp/natif.csv" 2>/dev/null
  node "$web" "$@" "$embarque" >"$tmp/web.csv" 2>/dev/null
  if [ "$(wc -l <"$tmp/natif.csv")" -lt 2 ]; then
    echo "FAIL $nom: the native trace printed no rows"
    echecs=$((echecs + 1))
  elif cmp -s "$tmp/natif.csv" "$tmp/web.csv"; then
    echo "ok   $nom ($(wc -l <"$tmp/natif.csv") lines)"
  else
    echo "FAIL $nom: first difference:"
    { diff "$tmp/natif.csv" "$tmp/web.csv" || true; } | head -n 4 | sed "s/^/     /"
    echecs=$((echecs + 1))
  fi
}

for f in "$top"/data/DONNEES/*.txt; do
  n="$(basename "$f")"
  compare "$n" "$f" "/data/$n" --batches 3000 --every 10 --thrust 400:+ --thrust 1800:-
done
compare "quinze.txt, 20000 batches" "$top/tests/unit/data/core/quinze.txt" /core/quinze.txt --batches 20000 --every 20

if [ "$echecs" -ne 0 ]; then
  echo "$echecs trace comparisons differ"
  exit 1
fi
echo "node and native traces are identical"
