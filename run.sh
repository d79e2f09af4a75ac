#!/usr/bin/env bash
# run.sh — installs what is missing, builds, and starts the simulator on its
# default scenario.  Works from any directory.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$top"
source scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
# Until the window program exists, show the default scenario's first batches.
exec build/orbelune-trace --batches 20 data/donnees.txt
