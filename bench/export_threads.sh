#!/usr/bin/env bash
# `tavrel-cli export --jobs 1` against `--jobs 2` of the same build, alternated in one run: 16 x
# 1,000,000 rows through head-only chains (reading and writing, no computing) and through
# band-pass + rectifier + moving average chains, each command run nine times in turn with the
# other, medians of the wall times. Alternating gives both thread counts the same share of
# whatever else the machine does meanwhile (on a virtual machine the second core, and the cost
# of memory the host has taken back, change from second to second).
#
#   bench/export_threads.sh [TAVREL_CLI]
set -euo pipefail
cli=${1:-$(dirname "$0")/../build/bin/tavrel-cli}
# shellcheck source=bench/export_common.sh
. "$(dirname "$0")/export_common.sh"
export_setup "$cli"

echo "| \`tavrel-cli export\` of 16 x 1,000,000 rows (medians of 9, alternated) | --jobs 1 | --jobs 2 | ratio |"
echo "|---|---|---|---|"
for doc in heads chains; do
    one="" two=""
    for _ in 1 2 3 4 5 6 7 8 9; do
        one+=" $(seconds "$cli" export "$work/$doc.kcd" -o "$work/out.csv" --max-rows 0 --jobs 1)"
        two+=" $(seconds "$cli" export "$work/$doc.kcd" -o "$work/out.csv" --max-rows 0 --jobs 2)"
    done
    a=$(echo $one | median) b=$(echo $two | median)
    echo "| $doc (runs:$one /$two) | ${a} ms | ${b} ms | $(awk -v a="$a" -v b="$b" 'BEGIN{printf "%.2fx", a / b}') |"
done
