#!/usr/bin/env bash
# Checks the manual pages and the bash completion against the program:
#
#   tests/command-line-docs.sh MORVELLE
#
# Every page in docs/ formats without a warning (groff -ww, as man -l and
# lintian format it); every option "MORVELLE --help" names is described in
# the OPTIONS of morvelle(1), and the completion offers exactly those
# options; it offers history files in any letter case, folders and any
# file where each is due, and nothing for a new tag or path.
# Exit status: 0 passed, 1 failed, 77 groff or bash-completion is missing
# (skipped).
set -euo pipefail
export LC_ALL=C.UTF-8  # one sort order; groff reads the pages as UTF-8

morvelle=${1:?usage: command-line-docs.sh MORVELLE}
source=$(cd "$(dirname "$0")/.." && pwd)
bash_completion=/usr/share/bash-completion/bash_completion

skip() {
  echo "SKIPPED: $*"
  exit 77
}
command -v groff >/dev/null ||
  skip "groff is not installed (scripts/setup.sh installs groff-base)"
[ -f "$bash_completion" ] ||
  skip "bash-completion is not installed (scripts/setup.sh installs it)"

passed=0
failed=0
# check WHAT EXPECTED ACTUAL
check() {
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    printf 'FAILED: %s\n  expected: %s\n  got:      %s\n' "$1" "$2" "$3" >&2
    failed=$((failed + 1))
  fi
}

for page in "$source"/docs/*.1; do
  check "groff -ww on ${page##*/}" "" \
    "$(groff -ww -z -man -Tutf8 "$page" 2>&1)"
done

# The options as "--help" writes them: "--name", and "--" itself.
options=$("$morvelle" --help | grep -oE -- '--([a-z][a-z-]*)?' | sort -u)
described=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$source/docs/morvelle.1")
for option in $options; do
  check "morvelle.1 describes $option" yes \
    "$(grep -qE "^\.(B|BI|BR) (.* )?${option//-/\\\\-}( |$)" <<<"$described" &&
      echo yes || echo no)"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir sub
touch -- T.HST u.hst Mixed.Hst -dash.HST list.csv

# shellcheck source=/dev/null
source "$bash_completion"
# shellcheck source=../packaging/deb/morvelle.bash-completion
source "$source/packaging/deb/morvelle.bash-completion"

# offered LINE: what the completion offers with the cursor at LINE's end,
# sorted, on one line.
offered() {
  COMP_LINE=$1
  COMP_POINT=${#1}
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=('')
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _morvelle morvelle "${COMP_WORDS[COMP_CWORD]}" \
    "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}

check "options offered" "$(paste -sd ' ' <<<"$options")" \
  "$(offered 'morvelle -')"
while IFS='|' read -r line expected; do
  check "completion of '$line'" "$expected" "$(offered "$line")"
done <<'CASES'
morvelle --i|--info
morvelle |-dash.HST Mixed.Hst T.HST sub u.hst
morvelle --dry-run |-dash.HST Mixed.Hst T.HST sub u.hst
morvelle --info --json |-dash.HST Mixed.Hst T.HST sub u.hst
morvelle --recover |-dash.HST Mixed.Hst T.HST sub u.hst
morvelle --check |-dash.HST Mixed.Hst T.HST sub u.hst
morvelle --repair --dry-run |-dash.HST Mixed.Hst T.HST sub u.hst
morvelle --list |sub
morvelle --many |sub
morvelle --batch |-dash.HST Mixed.Hst T.HST list.csv sub u.hst
morvelle --batch list.csv --u|--undo-list
morvelle --batch list.csv --undo-list |-dash.HST Mixed.Hst T.HST list.csv sub u.hst
morvelle --list sub --j|--json
morvelle T.HST |
morvelle T.HST Tag1A |
morvelle T.HST Tag1A -|
morvelle --info T.HST |
morvelle --help |
morvelle -- |-dash.HST Mixed.Hst T.HST sub u.hst
morvelle -- -|-dash.HST
CASES

echo "docs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
