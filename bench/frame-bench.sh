#!/usr/bin/env bash
# frame-bench.sh — frames and batches per second of the window program, and
# the time from start to its first frame, on a private Xvfb at 1024 x 768
# with 15 bodies drawn with trails and swept areas (software GL).
#
#   bench/frame-bench.sh [RUNS] [SECONDS]      (defaults: 5 runs of 8 seconds)
#
# Builds build-frame-bench/ with ORBELUNE_FRAME_BENCH=ON: that build prints
# "mesure:" lines on standard error (first-frame delay, then frames and
# batches of every second) and starts with trails and swept areas shown.
# Each run starts the program afresh, presses "g" once the first frame is
# there, and keeps the per-second lines after the first second of running.
# Prints the medians over all runs.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=${1:-5}
secs=${2:-8}
build="$top/build-frame-bench"

gen=(-G Ninja)
[ -f "$build/CMakeCache.txt" ] && gen=()
cmake -S "$top" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBELUNE_FRAME_BENCH=ON \
  -DORBELUNE_BENCH=OFF >/dev/null
cmake --build "$build" -j 2 --target simulgrav >/dev/null

source "$top/scripts/xvfb.sh"
orbelune_workdir

# A base directory of its own: the built program, the data, and the
# scenario of 15 bodies on circular orbits.
cp -r "$build/base" "$work/base"
"$top/bench/scenario-15.sh" >"$work/base/donnees.txt"

orbelune_xvfb 1024x768 "$work"

: >"$work/first-in" ; : >"$work/first-exec" ; : >"$work/fps" ; : >"$work/bps"
for run in $(seq "$runs"); do
  log="$work/run$run.err"
  t0=$(date +%s.%N)
  "$work/base/simulgrav" >/dev/null 2>"$log" &
  prog_pid=$!
  for _ in $(seq 200); do grep -q "premiere image" "$log" && break; sleep 0.05; done
  line=$(grep "premiere image" "$log") || { echo "run $run: no first frame" >&2; cat "$log" >&2; exit 1; }
  # "mesure: premiere image apres X ms (horloge S.U)": X from the program's
  # start-up, S.U on the wall clock, compared with the moment of the exec.
  echo "$line" | awk '{ print $5 }' >>"$work/first-in"
  echo "$line" | awk -v t0="$t0" '{ gsub(/[()]/, "", $8); printf "%.1f\n", ($8 - t0) * 1000 }' >>"$work/first-exec"
  wid=$(xdotool search --sync --onlyvisible --name Orbelune | head -n 1)
  xdotool key --window "$wid" g 2>/dev/null
  skip=$(grep -c "images/s" "$log" || true)
  sleep "$secs"
  kill "$prog_pid"; wait "$prog_pid" 2>/dev/null || true; prog_pid=""
  # Per-second lines after "g", the first of them dropped (partly paused).
  grep "images/s" "$log" | tail -n +"$((skip + 2))" | awk '{ print $2 >> "'"$work/fps"'"; print $4 >> "'"$work/bps"'" }'
done

median() { sort -g "$1" | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "frame bench: 15 bodies, trails and swept areas, 1024x768, software GL ($(nproc) cores), $runs runs x ${secs} s"
echo "  frames per second   median $(median "$work/fps")  (over $(wc -l <"$work/fps") one-second windows)"
echo "  batches per second  median $(median "$work/bps")"
echo "  first frame         median $(median "$work/first-in") ms after start-up, $(median "$work/first-exec") ms after exec"
