#!/usr/bin/env bash
# Fuzzes the matcher against the naive search (tests/fuzz/), with one job.
#   tools/fuzz.sh        the bounded run of `make test`: 40 s from the seeds in
#                        tests/fuzz/corpus, copied to a scratch folder first
#   tools/fuzz.sh long   the run of `make fuzz`: 10 minutes, growing the corpus
#                        kept in build/fuzz/corpus from one run to the next
# Fails when libFuzzer finds an input on which the matcher disagrees with the
# reference, crashes, leaks or hangs; that input is saved in build/fuzz/findings/.
set -uo pipefail
cd "$(dirname "$0")/.."
fuzzer=build/fuzz/match_stream_fuzzer

case "${1:-}" in
    "") mode=check seconds=40 corpus=build/fuzz/check-corpus
        rm -rf "$corpus" ;;
    long) mode=long seconds=600 corpus=build/fuzz/corpus ;;
    *) echo "usage: tools/fuzz.sh [long]"; exit 2 ;;
esac
if [ ! -x "$fuzzer" ]; then
    echo "$fuzzer is missing: run make first"
    exit 1
fi
mkdir -p "$corpus" build/fuzz/findings
cp tests/fuzz/corpus/* "$corpus"/
log=build/fuzz/$mode.log

# 256 pattern bytes, 256 of buffer lengths and room for a stream several
# patterns long. A matcher that loops for good is a finding too.
run() {
    "$fuzzer" -max_total_time=$seconds -max_len=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix=build/fuzz/findings/ "$corpus"
}
if [ $mode = long ]; then
    echo "Fuzzing the matcher for $seconds s; the corpus grows in $corpus"
    run 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
else
    run >"$log" 2>&1
    status=$?
fi

stat() { sed -n "s/^stat::$1: *//p" "$log"; }
if [ $status -ne 0 ]; then
    grep -A12 -m1 -E 'disagrees|ERROR:|deadly signal|timeout' "$log"
    echo "The matcher fuzzer found a fault (log: $log). Run the saved input again with:"
    sed -n 's/.*Test unit written to \(.*\)/    '"${fuzzer//\//\\/}"' \1/p' "$log"
    exit 1
fi
echo "Fuzzed the matcher for $seconds s: $(stat number_of_executed_units) inputs," \
    "$(stat average_exec_per_sec) a second, $(ls "$corpus" | wc -l) in the corpus; nothing found."
