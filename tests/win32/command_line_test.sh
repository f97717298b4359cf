#!/usr/bin/env bash
# Runs Vexorin.exe under Wine against stand-in database servers and compares its
# whole standard output and its exit status with what each case expects.
# Needs the Wine session of tools/wine_env.sh (started by tools/test.sh).
#   command_line_test.sh <win32 build directory>
source "$(dirname "$0")/tool_runs.sh"

check "no database server: clean" 0 "$banner$clean" wine "$tool"
check "arguments change nothing" 0 "$banner$clean" wine "$tool" /? --scan x

start_server clean clean
check "one clean server: a whole walk, then clean" 0 "$banner$all_dots$clean" wine "$tool"
stop_servers

for layout in inside straddle truncated; do
    start_server infected $layout
    check "signature $layout: infected" 1 "$banner$(dots_until "$server_address")$infected" wine "$tool"
    stop_servers
done

start_server gap gap
check "halves split by an uncommitted page: clean" 0 "$banner$all_dots$clean" wine "$tool"
stop_servers

start_server first clean
start_server second inside
check "clean server then infected one" 1 "$banner$all_dots$(dots_until "$server_address")$infected" wine "$tool"
stop_servers

mkdir -p "$work/self/Binn"
cp "$tool" "$work/self/Binn/sqlservr.exe"
check "the tool named sqlservr.exe skips itself" 0 "$banner$clean" wine "$work/self/Binn/sqlservr.exe"

start_server unlisted inside
check "VDMDBG.DLL missing: cannot list, incomplete" 3 "${banner}cannot list processes\n$incomplete" \
    env WINEDLLOVERRIDES="$WINEDLLOVERRIDES;vdmdbg=d" wine "$tool"
stop_servers

# Hostile servers. This one ends itself (status 42) once the tool has it open,
# part way through a walk that would take a second or more.
start_server ending clean exit-when-scanned
check "a server that ends during its search: incomplete" 3 "$banner$all_dots$incomplete" wine "$tool"
ended=running
for i in $(seq 100); do
    case $(ps -o stat= -p "${server_pids[0]}") in
    Z* | "") wait "${server_pids[0]}"; ended=$?; break ;;
    esac
    sleep 0.1
done
[ "$ended" = 42 ] || { echo "FAILED the ending server: $ended, not ended because it was searched"; failures=$((failures + 1)); }
stop_servers

# A thread keeps committing and decommitting memory below the layout.
start_server churning clean churn
check "memory churning while searched: still clean" 0 "$banner$all_dots$clean" wine "$tool"
stop_servers
start_server churning straddle churn
check "signature in stable memory beside churning memory: infected" 1 \
    "$banner$(dots_until "$server_address")$infected" wine "$tool"
stop_servers

# long_folder <length>: a folder whose server path, as Windows names it
# (Z:\...\Binn\sqlservr.exe), is <length> characters long.
long_folder() {
    local left=$(($1 - ${#work} - 21)) folder=long$1
    left=$((left - ${#folder}))
    while [ "$left" -gt 200 ]; do
        folder+=/$(printf '%0199d' 0)
        left=$((left - 200))
    done
    echo "$folder/$(printf '%0*d' $((left - 1)) 0)"
}
# The process-status library cuts a path to 259 characters and a terminator,
# so from 260 on the name no longer ends in sqlservr.exe; a path that fills the
# buffer is named from the process snapshot instead, and the server searched.
for length in 259 260 261 300; do
    folder=$(long_folder $length)
    path="Z:$work/$folder/Binn/sqlservr.exe"
    [ ${#path} = $length ] || { echo "FAILED long_folder made a path of ${#path} characters, not $length"; exit 1; }
    start_server "$folder" inside
    check "server path of $length characters: searched" 1 "$banner$(dots_until "$server_address")$infected" wine "$tool"
    stop_servers
done

# 1812: an image with no resources at all.
check "no signature resource" 2 "${banner}cannot read resource GetLastError=1812\n" \
    wine "$fixtures/vexorin_without_signature.exe"
check "empty signature resource" 2 "${banner}signature resource is empty\n" \
    wine "$fixtures/vexorin_empty_signature.exe"

# Seen as Windows 98, the tool lists processes with the Toolhelp snapshot and
# never loads VDMDBG.DLL, so its absence does not matter there.
cp "$tool" "$work/vexorin98.exe"
wine reg add 'HKCU\Software\Wine\AppDefaults\vexorin98.exe' /v Version /d win98 /f >/dev/null 2>&1
check "Windows 98: the snapshot path ends with a verdict" 0 "$banner$clean" \
    env WINEDLLOVERRIDES="$WINEDLLOVERRIDES;vdmdbg=d" wine "$work/vexorin98.exe"

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
