#!/usr/bin/env bash
# Configures and builds the native tree (portable code and its tests, under the
# sanitizers), the matcher's fuzz target (with clang, for libFuzzer) and the
# Windows tree (the tool and its Wine tests).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
[ -f build/native/CMakeCache.txt ] || cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
[ -f build/fuzz/CMakeCache.txt ] ||
    cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
[ -f build/win32/CMakeCache.txt ] ||
    cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/native -j "$jobs" -- --no-print-directory >/dev/null
cmake --build build/fuzz -j "$jobs" -- --no-print-directory >/dev/null
cmake --build build/win32 -j "$jobs" -- --no-print-directory >/dev/null
echo "Built build/win32/Vexorin.exe"
