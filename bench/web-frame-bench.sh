#!/usr/bin/env bash
# web-frame-bench.sh — frames and batches per second of the browser edition
# and the time to its first frame, in headless Chromium with software WebGL
# (SwiftShader) at 1024 x 768, 15 bodies with trails and swept areas.
#
#   bench/web-frame-bench.sh [RUNS] [SECONDS]   (defaults: 5 runs of 8 seconds)
#
# Builds build-web/orbelune.html (web/build.sh) unless it is newer than every
# source, then runs web-frame-bench.js and prints the medians over all runs:
# frames and batches per one-second window, the first frame's time after the
# navigation started and after the page was asked to open, and the page's
# size; and, for comparison, the frames per second of the same page with no
# bodies, measured between the runs.  The page paces the simulation at 225 batches a second of wall
# clock, so 225 is the batch rate's ceiling.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=${1:-5}
secs=${2:-8}
page="$top/build-web/orbelune.html"

if [ ! -f "$page" ] || [ -n "$(find "$top/src" "$top/web" "$top/data" -newer "$page" -type f -not -path '*/node_modules/*' | head -n 1)" ]; then
  "$top/web/build.sh" >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$top/bench/scenario-15.sh" >"$work/donnees.txt"
NODE_PATH="$top/web/node_modules" node "$top/bench/web-frame-bench.js" "$page" "$work/donnees.txt" "$runs" "$secs" >"$work/runs.json"

python3 - "$work/runs.json" "$page" "$runs" "$secs" <<'PY'
import json, os, statistics, sys
pairs = [json.loads(l) for l in open(sys.argv[1])]
runs = [p["full"] for p in pairs]
empty = [w["fps"] for p in pairs for w in p["empty"]["windows"]]
errors = [e for p in pairs for r in (p["full"], p["empty"]) for e in r["errors"]]
fps = [w["fps"] for r in runs for w in r["windows"]]
bps = [w["bps"] for r in runs for w in r["windows"]]
print("web frame bench: 15 bodies, trails and swept areas, 1024x768, headless Chromium + SwiftShader "
      "(%d cores), %s runs x %s s" % (os.cpu_count(), sys.argv[3], sys.argv[4]))
print("  frames per second   median %.1f  (over %d one-second windows; min %.1f, max %.1f)"
      % (statistics.median(fps), len(fps), min(fps), max(fps)))
print("  frames per second with no bodies, same page and moment: median %.1f" % statistics.median(empty))
print("  batches per second  median %.1f  (min %.1f, max %.1f)" % (statistics.median(bps), min(bps), max(bps)))
print("  first frame         median %.1f ms after navigation start, %.1f ms after the page was asked to open"
      % (statistics.median(r["firstFrameMs"] for r in runs), statistics.median(r["firstFrameAfterOpenMs"] for r in runs)))
print("  page size           %d bytes" % os.path.getsize(sys.argv[2]))
if errors:
    print("  page errors: " + "; ".join(sorted(set(errors))))
    sys.exit(1)
PY
