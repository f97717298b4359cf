#!/usr/bin/env bash
# Prints the benchmarks' figures: the matcher's throughput natively (optimised
# build in build/bench), then the scan of one stand-in server under Wine.
# Figures only; nothing here passes or fails on speed.
set -uo pipefail
source "$(dirname "$0")/wine_env.sh"
cd "$VEXORIN_ROOT"

[ -f build/bench/CMakeCache.txt ] || cmake -S bench/matcher -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j "$(nproc)" -- --no-print-directory >/dev/null || exit 1

echo "== matcher throughput (native, -O3)"
build/bench/match_throughput res/signature.bin || exit 1

echo
echo "== scan of one process under Wine"
trap wine_end EXIT
wine_begin || exit 1
# qemu reports the guest's own crash at exit on standard error; not ours.
wine build/win32/bench/scan/scan_time.exe 2> >(grep -v '^qemu: uncaught target signal' >&2)
