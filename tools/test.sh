#!/usr/bin/env bash
# Runs every test: the native ones under the sanitizers, then the Windows ones
# under Wine, one at a time (they share one Wine "computer").
set -uo pipefail
source "$(dirname "$0")/wine_env.sh"
cd "$VEXORIN_ROOT"

echo "== native tests"
ctest --test-dir build/native --output-on-failure || native_failed=1
echo "== fuzzing the matcher"
bash tools/fuzz.sh || native_failed=1

echo "== Windows tests under Wine"
trap wine_end EXIT
wine_begin || exit 1
ctest --test-dir build/win32 --output-on-failure --repeat after-timeout:2 || windows_failed=1

if [ -n "${native_failed:-}${windows_failed:-}" ]; then
    echo "Some tests failed."
    exit 1
fi
echo "All tests passed."
