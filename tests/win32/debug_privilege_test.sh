#!/usr/bin/env bash
# The debug privilege: the program that checks EnableDebugPrivilege against
# this process's token, then whole runs of the tool where ADVAPI32.DLL cannot
# be loaded, as Windows NT and as Windows 98. Needs the Wine session of
# tools/wine_env.sh.
#   debug_privilege_test.sh <win32 build directory>
source "$(dirname "$0")/tool_runs.sh"

wine "$fixtures/debug_privilege_test.exe" || failures=$((failures + 1))

without_advapi="$WINEDLLOVERRIDES;advapi32=d"

# Without the privilege the scan goes on as before and still finds the worm.
start_server infected inside
check "ADVAPI32.DLL missing: scanned all the same, infected" 1 "$banner$(dots_until "$server_address")$infected" \
    env WINEDLLOVERRIDES="$without_advapi" wine "$tool"
stop_servers

# As on the 95 family: no token functions, and the snapshot lists processes.
cp "$tool" "$work/vexorin_privilege98.exe"
wine reg add 'HKCU\Software\Wine\AppDefaults\vexorin_privilege98.exe' /v Version /d win98 /f >/dev/null 2>&1
check "Windows 98, ADVAPI32.DLL missing: a verdict" 0 "$banner$clean" \
    env WINEDLLOVERRIDES="$without_advapi" wine "$work/vexorin_privilege98.exe"

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
