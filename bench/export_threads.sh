#!/usr/bin/env bash
# `tavrel-cli export --jobs 1` against `--jobs 2` of the same build, alternated in one run: 16 x
# 1,000,000 rows through head-only chains (reading and writing, no computing) and through
# band-pass + rectifier + moving average chains, each command run nine times in turn with the
# other, medians of the wall times. Alternating gives both thread counts the same share of
# whatever else the machine does meanwhile (on a virtual machine the second core, and the cost
# of memory the host has taken back, change from second to second).
#
# Each is timed twice: writing a new file (the previous run's output is deleted first, outside
# the timing) and replacing the file the previous run wrote. Replacing adds what the file system
# takes to remove the old file's 135 MB once the new one has taken its name - about 50 ms of
# waiting for the disk on this machine, the same at any thread count (`rm` of such a file takes
# as long).
#
#   bench/export_threads.sh [TAVREL_CLI]
set -euo pipefail
cli=${1:-$(dirname "$0")/../build/bin/tavrel-cli}
# shellcheck source=bench/export_common.sh
. "$(dirname "$0")/export_common.sh"
export_setup "$cli"

# One export's wall time; `new` deletes the output first (and lets the disk settle), untimed.
timed() {
    local mode=$1 jobs=$2 doc=$3
    if [ "$mode" = new ]; then
        rm -f "$work/out.csv"
        sync
    fi
    seconds "$cli" export "$work/$doc.kcd" -o "$work/out.csv" --max-rows 0 --jobs "$jobs"
}

echo "| \`tavrel-cli export\` of 16 x 1,000,000 rows (medians of 9, alternated) | --jobs 1 | --jobs 2 | ratio |"
echo "|---|---|---|---|"
for doc in heads chains; do
    for mode in new replacing; do
        one="" two=""
        timed "$mode" 1 "$doc" >/dev/null  # the output exists for the first replacing run
        for _ in 1 2 3 4 5 6 7 8 9; do
            one+=" $(timed "$mode" 1 "$doc")"
            two+=" $(timed "$mode" 2 "$doc")"
        done
        a=$(echo $one | median) b=$(echo $two | median)
        what="$doc, $( [ "$mode" = new ] && echo "a new file" || echo "replacing the file")"
        echo "| $what (runs:$one /$two) | ${a} ms | ${b} ms | $(awk -v a="$a" -v b="$b" 'BEGIN{printf "%.2fx", a / b}') |"
    done
done
