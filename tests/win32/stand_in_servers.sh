# Sourced by the Wine test scripts that start stand-in database servers.
# Expects $work (a scratch folder), $fixtures (the folder holding
# stand_in_server.exe) and $tool (Vexorin.exe, whose signature they carry).
server_pids=()

# start_server <folder> <layout>: runs the stand-in as <folder>\Binn\sqlservr.exe
# and sets server_address to where its signature starts.
start_server() {
    local dir=$work/$1/Binn
    mkdir -p "$dir"
    cp "$fixtures/stand_in_server.exe" "$dir/sqlservr.exe"
    wine "$dir/sqlservr.exe" "$2" "$tool" 300 </dev/null >"$work/$1.ready" 2>/dev/null &
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
