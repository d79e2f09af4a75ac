#!/usr/bin/env bash
# build.sh — builds the browser edition with Debian's emscripten:
#   build-web/orbelune.html      the whole program in one self-contained page:
#                                code, WebAssembly, the base directory (data/)
#                                and the help text; opens from file:// or any
#                                static server, with no network access;
#   build-web/orbelune-trace.js  the trace tool for node, with the presets and
#                                the test scenarios in its in-memory files
#                                under /data and /core.
# Works from any directory; installs what is missing (Debian packages through
# scripts/setup.sh, the npm packages of web/package-lock.json).
#
# Sources: every src/*.cpp except the desktop's own front end (GLUT window,
# GL drawing, shell commands) and the x86 vector paths, plus every web/*.cpp.  Any web/genere-*.js is
# run first as `node web/genere-X.js build-web/gen`; that directory is on the
# include path, with web/.  The help shown by "Aide" is the text between `cat <<'AIDE'`
# and `AIDE` in data/help.sh.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"
source scripts/setup.sh web

out="$top/build-web"
gen="$out/gen"
mkdir -p "$gen"

# npm packages: puppeteer-core for the browser tests, teapot for the renderer.
if [ ! -e web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
  (cd web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi

# emscripten's JS optimiser needs acorn, which Debian ships under /usr/share/nodejs.
export NODE_PATH="$top/web/node_modules:/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

sed -n "/^cat <<'AIDE'\$/,/^AIDE\$/p" data/help.sh | sed '1d;$d' > "$gen/aide.txt"
if [ ! -s "$gen/aide.txt" ]; then
  echo "build.sh : aucun texte d'aide entre cat <<'AIDE' et AIDE dans data/help.sh" >&2
  exit 1
fi
for g in web/genere-*.js; do
  [ -e "$g" ] || continue
  (cd web && node "$(basename "$g")" "$gen")
done

# Results follow the formulas exactly, as on the desktop: no contraction into
# fused multiply-adds, no fast-math.
cxxflags=(-O2 -std=c++17 -Wall -Wextra -ffp-contract=off -fno-fast-math -Isrc -Iweb -I"$gen")

# Not for the page: the desktop's front end, and the x86 vector paths (*_avx2,
# *_avx512; WebAssembly runs the portable batch).
core=()
for f in src/*.cpp; do
  case "$(basename "$f")" in
    main.cpp|display.cpp|fenetre_glut.cpp|hote_bureau.cpp|shell.cpp|*_avx*.cpp) ;;
    *) core+=("$f") ;;
  esac
done

em++ "${cxxflags[@]}" "${core[@]}" web/*.cpp -o "$out/orbelune.html" \
  -sENVIRONMENT=web -sSINGLE_FILE=1 -sMINIFY_HTML=0 \
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 \
  -sALLOW_MEMORY_GROWTH=1 -sFORCE_FILESYSTEM=1 -lidbfs.js \
  -sEXPORTED_RUNTIME_METHODS=FS,UTF8ToString \
  --shell-file web/page.html --pre-js web/page.js \
  --embed-file "data@/orbelune" --embed-file "$gen/aide.txt@/aide.txt"

# The trace tool: the GL-free sources without the key and menu dispatch (the
# linker keeps only what it uses); EXIT_RUNTIME flushes standard output when
# main returns.
trace_core=()
for f in "${core[@]}"; do
  [ "$(basename "$f")" = interaction.cpp ] || trace_core+=("$f")
done
# Its version comes from the one place the project keeps it.
version=$(sed -n 's/^project(orbelune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
em++ "${cxxflags[@]}" -Itools -DORBELUNE_VERSION="\"$version\"" "${trace_core[@]}" \
  tools/orbelune-trace.cpp tools/figure_svg.cpp -o "$out/orbelune-trace.js" \
  -sENVIRONMENT=node -sSINGLE_FILE=1 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1 \
  --embed-file "data/DONNEES@/data" --embed-file "tests/unit/data/core@/core"

echo "build-web/orbelune.html : $(stat -c %s "$out/orbelune.html") octets"
