#!/usr/bin/env bash
# Drives the bash completion of tavrel-cli as bash does on Tab, in a scratch folder of files.
# Usage: check-completion.sh COMPLETION-SCRIPT SCRATCH-FOLDER
set -uo pipefail
source /usr/share/bash-completion/bash_completion
source "$1"
rm -rf "$2" && mkdir -p "$2/sub" && cd "$2" || exit 1
touch a.kcd b.csv c.txt d.edf e.bdf f.png
failed=0

# complete LINE EXPECTED: the words offered for the last word of LINE (sorted, space-separated).
complete_line() {
    local line=$1 expected=$2
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _tavrel_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ')
    got=${got% }
    if [[ "$got" != "$expected" ]]; then
        echo "\"$line\": expected \"$expected\", got \"$got\""
        failed=1
    fi
}

complete_line 'tavrel-cli ren' 'render'
complete_line 'tavrel-cli help i' 'info'
complete_line 'tavrel-cli render a.kcd --zoom-x ' '1 10 2 20 4 40'
complete_line 'tavrel-cli render a.kcd --zoom-y ' '1 2'
complete_line 'tavrel-cli export a.kcd --number ' 'serial time'
complete_line 'tavrel-cli export a.kcd --data ' 'b.csv c.txt d.edf e.bdf sub'
complete_line 'tavrel-cli export ' 'a.kcd sub'
complete_line 'tavrel-cli render a.kcd -o ' 'a.kcd b.csv c.txt d.edf e.bdf f.png sub'
complete_line 'tavrel-cli render a.kcd --rate ' ''
complete_line 'tavrel-cli render a.kcd --abs' '--absolute'
complete_line 'tavrel-cli export a.kcd --no-header --n' '--no-header --number'
exit $failed
