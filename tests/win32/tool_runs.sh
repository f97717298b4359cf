# Sourced by the Wine test scripts that run the tool, whose one argument is the
# win32 build directory: stand-in database servers, the lines the tool prints,
# and check, which compares a whole run. Sets $tool (Vexorin.exe, whose
# signature the stand-ins carry), $fixtures (the test programs) and $work (a
# scratch folder, removed at exit with every stand-in), and counts failed
# checks in $failures.
set -u
build=$1
tool=$build/Vexorin.exe
fixtures=$build/tests/win32
work=$(mktemp -d)
failures=0
server_pids=()
trap 'stop_servers; rm -rf "$work"' EXIT

# start_server <folder> <layout> [behaviour]: runs the stand-in as
# <folder>\Binn\sqlservr.exe and sets server_address to where its signature starts.
start_server() {
    local dir=$work/$1/Binn
    mkdir -p "$dir"
    cp "$fixtures/stand_in_server.exe" "$dir/sqlservr.exe"
    wine "$dir/sqlservr.exe" "$2" "$tool" 300 "${3:-wait}" </dev/null >"$work/$1.ready" 2>/dev/null &
    server_pids+=($!)
    local i
    for i in $(seq 300); do
        if grep -q '^ready' "$work/$1.ready"; then
            server_address=$(tr -d '\r' <"$work/$1.ready" | awk '{print $3}')
            return 0
        fi
        sleep 0.1
    done
    echo "stand-in server $1 ($2) never became ready: $(cat "$work/$1.ready")"
    exit 1
}

stop_servers() {
    local pid
    for pid in "${server_pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    server_pids=()
}

# The dots a scan prints before it reaches address: one per 64 MiB started.
dots_until() {
    printf '%*s' $(($1 / 67108864 + 1)) '' | tr ' ' .
}
all_dots=$(printf '%16s' '' | tr ' ' .)

name=$(wine "$fixtures/computer_name.exe" | tr -d '\r')
banner='Vexorin v1.0 - W32/Slammer detection tool \nCopyright (C) 2003 Kestrelwyn Software\n'
clean="\n$name was found to be clean\n"
infected="\n$name  is infected with W32/Slammer.A\n\nFor more information on the removal of W32/Slammer.A visit\nhttps://www.kb.cert.org/vuls/id/484891\n"
incomplete="\n$name could not be fully checked\n"

# check <case> <status> <expected output, printf %b escapes> <command...>
# A run that hangs ends after two minutes, with status 124.
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
