#!/usr/bin/env bash
# The manual page and --help describe the same options: every option line of
# --help (names and value) heads a paragraph of the manual page, and the manual
# names no long option that --help lacks. The page must also format cleanly.
#   check_manual.sh VELMORA_BINARY MANUAL_PAGE
set -euo pipefail

binary=$1 page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

export LC_ALL=C.UTF-8
"$binary" --help >"$work/help"

# In roff a plain '-' is a hyphen, which some formatters print as a
# typographic one that cannot be copied into a terminal; options need '\-'.
plain=$(grep -vE "^('|\.)\\\\\"" "$page" | grep -nE '(^|[[:space:]"(])-{1,2}[[:alpha:]]' || true)
[[ -z "$plain" ]] || fail "write '\\-' for the minus signs of options: $plain"

# Formatted as man shows it, but in one long page so no line is broken.
if ! groff -t -man -ww -Tutf8 -rLL=200n -rcR=1 "$page" 2>"$work/warnings" |
        col -b -x | sed 's/^[[:space:]]*//; s/[[:space:]]*$//' >"$work/manual"; then
    fail "groff could not format $page"
fi
[[ -s "$work/warnings" ]] && fail "groff warns about $page: $(cat "$work/warnings")"

# Option lines of --help: "  -F, --soundfont FILE      text" -> "-F, --soundfont FILE".
grep -E '^[[:space:]]+-' "$work/help" | sed -E 's/^[[:space:]]+//; s/[[:space:]]{2,}.*$//' >"$work/options"
[[ -s "$work/options" ]] || fail "found no options in --help"
while IFS= read -r option; do
    grep -qxF -- "$option" "$work/manual" || fail "the manual has no paragraph for '$option'"
done <"$work/options"

# Long options the manual mentions must exist.
grep -oE -- '(^|[^[:alnum:]-])--[a-z][a-z-]*' "$work/manual" | sed -E 's/^[^-]*//' | sort -u >"$work/manual-long"
while IFS= read -r option; do
    grep -qE -- "(^|[^[:alnum:]-])$option([^[:alnum:]-]|$)" "$work/help" ||
        fail "the manual mentions $option, which --help does not know"
done <"$work/manual-long"

[[ $failures -eq 0 ]] || exit 1
echo "$(wc -l <"$work/options") options of --help are in the manual page"
