#!/usr/bin/env bash
# `tavrel-cli export` on one thread against another build of the program, alternated in one run:
# 16 x 1,000,000 rows through head-only chains (reading and writing, no computing) and through
# band-pass + rectifier + moving average chains, each command run seven times in turn with the
# other build's, medians of the wall times.
#
#   bench/export_against_build.sh OTHER_TAVREL_CLI [THIS_TAVREL_CLI]
#
# The other build, for instance the one of commit 806fa45 (before the work went onto threads):
#   git worktree add --detach /tmp/tavrel-806fa45 806fa45
#   cmake -S /tmp/tavrel-806fa45 -B /tmp/tavrel-806fa45/build -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build /tmp/tavrel-806fa45/build --target tavrel-cli
# A build that knows no --jobs option runs on one thread anyway and is called without it.
set -euo pipefail
other=${1:?usage: export_against_build.sh OTHER_TAVREL_CLI [THIS_TAVREL_CLI]}
this=${2:-$(dirname "$0")/../build/bin/tavrel-cli}
# shellcheck source=bench/export_common.sh
. "$(dirname "$0")/export_common.sh"
export_setup "$this"
jobs_of() { "$1" export --help 2>&1 | grep -q -- '--jobs' && echo "--jobs 1" || true; }

echo "| Export of 16 x 1,000,000 rows, one thread (medians of 7, alternated) | this build | other build | ratio |"
echo "|---|---|---|---|"
for doc in heads chains; do
    mine="" theirs=""
    for _ in 1 2 3 4 5 6 7; do
        # shellcheck disable=SC2046
        theirs+=" $(seconds "$other" export "$work/$doc.kcd" -o "$work/out.csv" --max-rows 0 $(jobs_of "$other"))"
        mine+=" $(seconds "$this" export "$work/$doc.kcd" -o "$work/out.csv" --max-rows 0 --jobs 1)"
    done
    m=$(echo $mine | median) t=$(echo $theirs | median)
    echo "| $doc | ${m} ms | ${t} ms | $(awk -v a="$t" -v b="$m" 'BEGIN{printf "%.2fx", a / b}') |"
done
