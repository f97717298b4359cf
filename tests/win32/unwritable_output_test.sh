#!/usr/bin/env bash
# Runs Vexorin.exe, for each verdict, with a standard output that cannot be
# written: the exit status must still tell the verdict, and the tool must
# neither hang nor crash. Needs the Wine session of tools/wine_env.sh.
#   unwritable_output_test.sh <win32 build directory>
source "$(dirname "$0")/tool_runs.sh"

# expect <case> <expected status> <status>; timeout(1) ends a hung run with 124.
expect() {
    if [ "$3" = "$2" ]; then
        echo "ok     $1"
    else
        [ "$3" = 124 ] && set -- "$1" "$2" "124 (hung)"
        echo "FAILED $1: status $3, expected $2"
        failures=$((failures + 1))
    fi
}

# check_unwritable <verdict> <status> <program> [DLL override]
check_unwritable() {
    local verdict=$1 status=$2 program=$3
    local overrides=$WINEDLLOVERRIDES${4:+;$4}
    WINEDLLOVERRIDES=$overrides timeout 120 wine "$program" >/dev/full 2>/dev/null
    expect "$verdict: output to /dev/full" "$status" $?
    WINEDLLOVERRIDES=$overrides timeout 120 wine "$program" >&- 2>/dev/null
    expect "$verdict: output closed" "$status" $?
    # The reader is gone long before Wine has started the tool.
    WINEDLLOVERRIDES=$overrides timeout 120 wine "$program" 2>/dev/null | true
    expect "$verdict: pipe whose reader has gone" "$status" "${PIPESTATUS[0]}"

    # The same seen from a Windows parent, through Windows handles.
    local kind result
    WINEDLLOVERRIDES=$overrides timeout 300 wine "$fixtures/unwritable_output.exe" "Z:${program//\//\\}" \
        </dev/null 2>/dev/null | tr -d '\r' >"$work/windows"
    for kind in pipe-without-reader no-output-handle; do
        result=$(awk -v kind=$kind '$1 == kind { $1 = ""; print substr($0, 2) }' "$work/windows")
        expect "$verdict: $kind (Windows parent)" "$status" "${result:-no result: $(xargs <"$work/windows")}"
    done
}

start_server clean clean
check_unwritable "clean" 0 "$tool"
stop_servers

start_server infected inside
check_unwritable "infected" 1 "$tool"
stop_servers

check_unwritable "incomplete (VDMDBG.DLL missing)" 3 "$tool" vdmdbg=d
check_unwritable "signature missing" 2 "$fixtures/vexorin_without_signature.exe"

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
