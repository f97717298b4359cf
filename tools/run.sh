#!/usr/bin/env bash
# Runs Vexorin.exe on this machine under Wine and ends with its exit status.
set -uo pipefail
source "$(dirname "$0")/wine_env.sh"
trap wine_end EXIT
wine_begin || exit 1
wine "$VEXORIN_ROOT/build/win32/Vexorin.exe"
status=$?
# make reports any failure as its own status 2: say the tool's own.
echo "(exit status $status)"
exit $status
