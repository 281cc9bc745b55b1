#!/usr/bin/env bash
# GNU parallel driving `tavrel-cli measure --no-header` over eight recordings, one file per job
# and one share of a list per job: the rows, concatenated in order (parallel -k), equal those of
# one `measure` run over the same files, and the header written once in front gives its table.
#   ParallelMeasure.sh path/to/tavrel-cli
set -euo pipefail
cli=$1
if ! command -v parallel >/dev/null; then
    echo "GNU parallel is not installed (Debian package parallel); skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" new "$work/setup.kcd"
for i in 1 2 3 4 5 6 7 8; do
    # 16 columns of 400 rows, different in every file.
    awk -v seed="$i" 'BEGIN {
        for (r = 0; r < 400; ++r) {
            line = "";
            for (c = 1; c <= 16; ++c)
                line = line (c > 1 ? "," : "") sprintf("%.6f", sin(r * 0.01 * c + seed) * c);
            print line;
        }
    }' >"$work/rec $i.csv"
    echo "$work/rec $i.csv" >>"$work/list.txt"
done

"$cli" measure "$work/setup.kcd" --data-list "$work/list.txt" >"$work/one.csv"
tail -n +2 "$work/one.csv" >"$work/rows.csv"
[ "$(wc -l <"$work/rows.csv")" -eq 128 ] || { echo "expected 8 x 16 rows"; exit 1; }

# One file per job.
parallel --will-cite -k -j 4 "$cli" measure "$work/setup.kcd" --no-header --jobs 1 --data {} \
    :::: "$work/list.txt" >"$work/per-file.csv"
cmp "$work/rows.csv" "$work/per-file.csv"

# One share of the list per job, the header written once in front.
split -n l/3 "$work/list.txt" "$work/share."
{
    head -n 1 "$work/one.csv"
    parallel --will-cite -k -j 3 "$cli" measure "$work/setup.kcd" --no-header --data-list {} \
        ::: "$work"/share.*
} >"$work/per-share.csv"
cmp "$work/one.csv" "$work/per-share.csv"
echo "parallel runs equal one run"
