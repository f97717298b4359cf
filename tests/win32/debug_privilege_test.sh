#!/usr/bin/env bash
# The debug privilege: the program that checks EnableDebugPrivilege against
# this process's token, then whole runs of the tool where ADVAPI32.DLL cannot
# be loaded, as Windows NT and as Windows 98. Needs the Wine session of
# tools/wine_env.sh.
#   debug_privilege_test.sh <win32 build directory>
set -u
build=$1
tool=$build/Vexorin.exe
fixtures=$build/tests/win32
work=$(mktemp -d)
failures=0
source "$(dirname "$0")/stand_in_servers.sh"
trap 'stop_servers; rm -rf "$work"' EXIT

wine "$fixtures/debug_privilege_test.exe" || failures=$((failures + 1))

# check <case> <status> <expected output, printf %b escapes> <command...>
check() {
    local name=$1 status=$2 expected=$3
    shift 3
    timeout 120 "$@" >"$work/out" 2>/dev/null
    local actual_status=$?
    tr -d '\r' <"$work/out" >"$work/actual"
    printf '%b' "$expected" >"$work/expected"
    if [ "$actual_status" = "$status" ] && cmp -s "$work/expected" "$work/actual"; then
        echo "ok     $name"
    else
        echo "FAILED $name: status $actual_status, expected $status"
        diff "$work/expected" "$work/actual" | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}

name=$(wine "$fixtures/computer_name.exe" | tr -d '\r')
banner='Vexorin v1.0 - W32/Slammer detection tool \nCopyright (C) 2003 Kestrelwyn Software\n'
without_advapi="$WINEDLLOVERRIDES;advapi32=d"

# Without the privilege the scan goes on as before and still finds the worm.
start_server infected inside
dots=$(printf '%*s' $((server_address / 67108864 + 1)) '' | tr ' ' .)
check "ADVAPI32.DLL missing: scanned all the same, infected" 1 \
    "$banner$dots\n$name  is infected with W32/Slammer.A\n\nFor more information on the removal of W32/Slammer.A visit\nhttps://www.kb.cert.org/vuls/id/484891\n" \
    env WINEDLLOVERRIDES="$without_advapi" wine "$tool"
stop_servers

# As on the 95 family: no token functions, and the snapshot lists processes.
cp "$tool" "$work/vexorin_privilege98.exe"
wine reg add 'HKCU\Software\Wine\AppDefaults\vexorin_privilege98.exe' /v Version /d win98 /f >/dev/null 2>&1
check "Windows 98, ADVAPI32.DLL missing: a verdict" 0 "$banner\n$name was found to be clean\n" \
    env WINEDLLOVERRIDES="$without_advapi" wine "$work/vexorin_privilege98.exe"

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
