#!/usr/bin/env bash
# Starts a stand-in database server that holds the worm's bytes in its memory
# and runs Vexorin.exe against it: the infected verdict, status 1.
set -uo pipefail
source "$(dirname "$0")/wine_env.sh"
trap wine_end EXIT
wine_begin || exit 1
demo=$VEXORIN_ROOT/build/demo/MSSQL/Binn
mkdir -p "$demo"
cp "$VEXORIN_ROOT/build/win32/tests/win32/stand_in_server.exe" "$demo/sqlservr.exe"
wine "$demo/sqlservr.exe" inside "$VEXORIN_ROOT/build/win32/Vexorin.exe" 120 </dev/null >"$demo/ready.txt" 2>/dev/null &
for i in $(seq 300); do grep -q ready "$demo/ready.txt" && break; sleep 0.1; done
echo "Stand-in server running as $demo/sqlservr.exe"
wine "$VEXORIN_ROOT/build/win32/Vexorin.exe"
status=$?
echo "(exit status $status)"
exit $status
