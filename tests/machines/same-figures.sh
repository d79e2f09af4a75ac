#!/usr/bin/env bash
# same-figures.sh — a chaotic scenario gives the same figures on every
# machine: orbelune-trace over 20,000 batches prints identical CSV
#   1. as built (the batch path this processor selects, glibc's default maths);
#   2. with glibc told the processor has no FMA (GLIBC_TUNABLES), which
#      switches glibc to its other variants of the maths functions;
#   3. built for aarch64 (portable path, no x86 code) and run under qemu.
# chaos.txt is Burrau's three bodies of masses 3, 4, 5 at rest on a 3-4-5
# triangle (and a massless body 1, so nothing is absorbed): close encounters
# amplify any difference of a last bit into different figures.
#
#   same-figures.sh TRACE SOURCE_DIR WORK_DIR
# Exit status 0: identical; 1: a difference; 77: the aarch64 part could not
# run (cross compiler or qemu missing), after parts 1 and 2 passed.
set -euo pipefail
trace=$1 src=$2 work=$3
scenario="$src/tests/machines/chaos.txt"
args=(--batches 20000 --every 500)
mkdir -p "$work"

"$trace" "${args[@]}" "$scenario" >"$work/x86.csv" 2>/dev/null
lignes=$(wc -l <"$work/x86.csv")
if [ "$lignes" -ne $((1 + 41 * 4)) ]; then
  echo "the trace printed $lignes lines, not the 165 of 20,000 batches"
  exit 1
fi
GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA "$trace" "${args[@]}" "$scenario" >"$work/x86-sans-fma.csv" 2>/dev/null
if ! cmp "$work/x86.csv" "$work/x86-sans-fma.csv"; then
  diff "$work/x86.csv" "$work/x86-sans-fma.csv" | head -n 6
  exit 1
fi
echo "x86-64: identical with and without FMA in glibc's maths"

cxx=aarch64-linux-gnu-g++
if ! command -v "$cxx" >/dev/null || ! command -v qemu-aarch64 >/dev/null; then
  echo "SKIPPED aarch64 part: $cxx or qemu-aarch64 is missing (Debian: g++-aarch64-linux-gnu, qemu-user)"
  exit 77
fi
# The tool and the core it links, cross-built by the project's own CMake
# (so the aarch64 build compiles exactly the sources the native one does),
# statically linked; rebuilt incrementally.  The project's flags keep
# -ffp-contract=off, which matters most here: gcc fuses a*b+c on aarch64 by
# default.
cross="$work/aarch64"
cmake -S "$src" -B "$cross" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64 \
  -DCMAKE_C_COMPILER=aarch64-linux-gnu-gcc -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_EXE_LINKER_FLAGS=-static \
  -DORBELUNE_WINDOW=OFF -DORBELUNE_TESTS=OFF -DORBELUNE_BENCH=OFF >/dev/null
cmake --build "$cross" --target orbelune-trace >/dev/null
bin="$cross/orbelune-trace"
qemu-aarch64 "$bin" "${args[@]}" "$scenario" >"$work/aarch64.csv" 2>/dev/null
if ! cmp "$work/x86.csv" "$work/aarch64.csv"; then
  diff "$work/x86.csv" "$work/aarch64.csv" | head -n 6
  exit 1
fi
echo "aarch64 under qemu: identical"
