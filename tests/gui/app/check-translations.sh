#!/usr/bin/env bash
# The English translation is complete and current: lupdate over the sources finds exactly the
# texts translations/tavrel_en.ts holds, each with a finished translation, and no Japanese text in
# the code escapes the translation markers (Tr, Translate, QT_TRANSLATE_NOOP,
# TAVREL_TRANSLATE_NOOP).
# Usage: check-translations.sh SOURCE_DIR LUPDATE LUPDATE-OPTIONS... (the build's own options)
set -euo pipefail
src=$1
lupdate=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

cp "$src/translations/tavrel_en.ts" "$work/tavrel_en.ts"
"$lupdate" -silent "$@" "$src/src/core" "$src/src/gui" -ts "$work/tavrel_en.ts"
if ! cmp -s "$src/translations/tavrel_en.ts" "$work/tavrel_en.ts"; then
    echo "translations/tavrel_en.ts is not current; the texts that differ from the sources:"
    diff "$src/translations/tavrel_en.ts" "$work/tavrel_en.ts" | grep '^[<>]' | head -40 || true
    echo "(cmake --build build --target update_translations, then translate what is new)"
    status=1
fi
if grep -n 'type="unfinished"\|<translation></translation>' "$work/tavrel_en.ts"; then
    echo "texts without an English translation (above)"
    status=1
fi

# Japanese string literals outside the markers (comments are not texts).
LC_ALL=C.UTF-8 perl -CSD -0777 -ne '
    s{//[^\n]*}{}g;
    while (/"((?:[^"\\\n]|\\.)*)"/g) {
        my ($text, $at) = ($1, $-[0]);
        next unless $text =~ /[\x{3000}-\x{30FF}\x{31F0}-\x{31FF}\x{4E00}-\x{9FFF}\x{FF00}-\x{FFEF}]/;
        my $before = substr($_, $at > 120 ? $at - 120 : 0, $at > 120 ? 120 : $at);
        next if $before =~ /(?:\bTr|\bTranslate|QT_TRANSLATE_NOOP|TAVREL_TRANSLATE_NOOP)\(\s*"[^"]*",\s*$/;
        print "$ARGV: \"$text\" is not marked for translation\n";
        $ENV{FOUND} = 1;
    }
    END { exit($ENV{FOUND} ? 1 : 0) }
' $(find "$src/src/core" "$src/src/gui" -name '*.cpp' -o -name '*.h' | sort) || status=1
exit $status
