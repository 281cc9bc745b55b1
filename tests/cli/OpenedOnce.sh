#!/usr/bin/env bash
# `tavrel-cli export` opens its data file by name exactly once - a CSV file, an EDF recording, and
# a truncated EDF recording that is refused - as strace sees it. (EDFlib opens the recording
# through the descriptor already open, /proc/self/fd/N, which names no file.)
#   OpenedOnce.sh path/to/tavrel-cli
set -euo pipefail
cli=$1
if ! command -v strace >/dev/null || ! strace -f -e trace=openat true >/dev/null 2>&1; then
    echo "strace is missing or not permitted here; skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$cli" new doc.kcd
printf '1,2\r\n3,4\r\n5,6\r\n' >data.csv
# An EDF file of two signals, ten one-second records of 100 samples.
write_edf() {
    local header signals=2
    field() { printf "%-${2}.${2}s" "$1"; }
    {
        field 0 8; field X 80; field X 80; field 01.01.01 8; field 01.01.01 8
        field $((256 + 256 * signals)) 8; field "" 44; field 10 8; field 1 8; field $signals 4
        for s in 1 2; do field "S$s" 16; done
        for s in 1 2; do field "" 80; done
        for s in 1 2; do field mV 8; done
        for s in 1 2; do field -100 8; done
        for s in 1 2; do field 100 8; done
        for s in 1 2; do field -32768 8; done
        for s in 1 2; do field 32767 8; done
        for s in 1 2; do field "" 80; done
        for s in 1 2; do field 100 8; done
        for s in 1 2; do field "" 32; done
    } >"$1"
    head -c $((10 * 2 * 100 * 2)) /dev/urandom >>"$1"
}
write_edf rec.edf
head -c -50 rec.edf >cut.edf

status=0
for data in data.csv rec.edf cut.edf; do
    trace=$(strace -f -e trace=openat "$cli" export doc.kcd -o out.csv --data "$data" 2>&1 || true)
    opens=$(grep -c "\"$work/$data\"" <<<"$trace" || true)
    if [ "$opens" != 1 ]; then
        echo "$data opened $opens times:"
        grep "$data" <<<"$trace" || true
        status=1
    fi
done
# The two readable files export; the refused recording says why, and no output was written for it.
for data in data.csv rec.edf; do
    "$cli" export doc.kcd -o "$data.out" --data "$data" || { echo "$data was not read"; status=1; }
done
if "$cli" export doc.kcd -o refused.csv --data cut.edf 2>err.txt; then
    echo "the truncated recording was not refused"
    status=1
fi
grep -q "EDFlib" err.txt || { echo "no reason given: $(cat err.txt)"; status=1; }
[ ! -e refused.csv ] || { echo "an output was written for a refused recording"; status=1; }
exit $status
