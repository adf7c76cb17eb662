#!/usr/bin/env bash
# Drives flowsvg's bash completion as bash does on a Tab press (bash-
# completion's own functions, COMP_WORDS and COMP_CWORD set as for the
# typed line) in a folder of known files, and checks what it offers: every
# option of `flowsvg --help` after "-", a folder after --out-dir, nothing
# after -j, --port and --scale, the formats after -T, file names elsewhere
# and after "--".
# Usage: bash_completion_test.sh COMPLETION_FILE FLOWSVG
set -u
completion=$(realpath "$1")
flowsvg=$(realpath "$2")
failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-completion-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

framework=/usr/share/bash-completion/bash_completion
[ -f "$framework" ] || { echo "FAIL: no $framework (bash-completion)"; exit 1; }

mkdir -p "$work/files/drawings" "$work/files/plans"
touch "$work/files/plan.txt" "$work/files/plan.svg" "$work/files/-odd.txt"

# What completing the line $1 (up to its end) offers, sorted, one per line.
offered() {
  (
    cd "$work/files" || exit 1
    # shellcheck disable=SC1090
    source "$framework"
    # shellcheck disable=SC1090
    source "$completion"
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    read -ra COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _flowsvg flowsvg "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}" | sort
  ) 2>&1
}

# Every option the help shows, once each.
options=$("$flowsvg" --help | grep -oE '^ +(-[A-Za-z]|--[a-z-]+)' | tr -d ' ' | sort -u)
[ -n "$options" ] || fail "no options in flowsvg --help"
got=$(offered "flowsvg -")
for option in $options; do
  grep -qx -- "$option" <<<"$got" || fail "'flowsvg -' does not offer $option: $got"
done
[ "$(offered "flowsvg --ch")" = "--check" ] || fail "'--ch': $(offered "flowsvg --ch")"
[ "$(offered "flowsvg --out")" = "--out-dir" ] || fail "'--out': $(offered "flowsvg --out")"
[ "$(offered "flowsvg --se")" = "--serve" ] || fail "'--se': $(offered "flowsvg --se")"

while IFS='|' read -r line expected; do
  got=$(offered "$line" | tr '\n' ' ')
  [ "$got" = "$expected" ] || fail "'$line' offers '$got', expected '$expected'"
done <<'CASES'
flowsvg pl|plan.svg plan.txt plans 
flowsvg -O p|plan.svg plan.txt plans 
flowsvg --out-dir |drawings plans 
flowsvg --out-dir d|drawings 
flowsvg -j |
flowsvg --serve --port |
flowsvg --serve --port 8123 pl|plan.svg plan.txt plans 
flowsvg --scale |
flowsvg -T |pdf png svg 
flowsvg -T p|pdf png 
flowsvg -T png pl|plan.svg plan.txt plans 
flowsvg --sample pl|plan.svg plan.txt plans 
flowsvg -- -|-odd.txt 
flowsvg plan.txt |-odd.txt drawings plan.svg plan.txt plans 
CASES

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "ok: completion offers $(tr '\n' ' ' <<<"$options")and file names"
