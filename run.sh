#!/usr/bin/env bash
# run.sh — installs what is missing, builds, and starts the simulator on its
# default scenario (build/base/donnees.txt).  Works from any directory.
#
# Without a display (DISPLAY empty) it says so, starts the program on a
# private Xvfb, presses "g", lets it run a few seconds, saves a screenshot
# (build/orbelune-<date>.png), prints its path and stops both.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$top"
# Only what building and running need; without a display also the private
# X server and the screenshot tool.
if [ -n "${DISPLAY:-}" ]; then source scripts/setup.sh run; else source scripts/setup.sh headless; fi
gen=(-G Ninja)
[ -f build/CMakeCache.txt ] && gen=()   # keep the generator of an existing build tree
cmake -S . -B build "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBELUNE_TESTS=OFF -DORBELUNE_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)" --target simulgrav
# The program finds its data by its own path: start it by the full path.
exe="$top/build/base/simulgrav"

if [ -n "${DISPLAY:-}" ]; then
  exec "$exe" "$@"
fi

echo "pas d'affichage (DISPLAY est vide) : le simulateur tourne sur un Xvfb prive, 'g' est presse, capture dans quelques secondes"
source "$top/scripts/xvfb.sh"
orbelune_workdir

orbelune_xvfb 1024x768 "$work"

"$exe" "$@" &
prog_pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name Orbelune | head -n 1) || true
if [ -z "$wid" ]; then
  echo "la fenetre ne s'est pas ouverte" >&2
  exit 1
fi
xdotool key --window "$wid" g 2>/dev/null
sleep 4
shot="$top/build/orbelune-$(date +%Y%m%d-%H%M%S).png"
import -window root -depth 8 "$shot"
echo "capture d'ecran : $shot"
