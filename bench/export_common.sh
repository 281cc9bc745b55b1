# Shared by the scripts that time `tavrel-cli export` of threads_bench's recording (sourced):
# the data file and documents in $work, and the timing helpers.
#   export_setup CLI      makes $work with long.csv, heads.kcd and chains.kcd (no export is run)
#   seconds COMMAND...    the command's wall time in milliseconds, its output discarded
#   median                the median of the numbers on standard input (one line, blank-separated)
export_setup() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    TAVREL_BENCH_DIR="$work" TAVREL_CLI=/bin/true "$(dirname "$1")/threads_bench" \
        --benchmark_filter='BM_CliExport.*/1/' >/dev/null 2>&1
}
seconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
}
median() {
    local values
    values=$(tr ' ' '\n' | grep -v '^$' | sort -n)
    echo "$values" | sed -n "$(( ($(echo "$values" | wc -l) + 1) / 2 ))p"
}
