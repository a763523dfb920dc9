#!/usr/bin/env bash
# The usage lines the programs print stand word for word in docs/: the editor's
# in user-guide.md; in cli.md the synopsis of tackedit-cli --help and each
# command's usage line as COMMAND --help prints it. --help is the man pages'
# source, so the pages and the man pages stay in step.
# Usage: cli_docs_test.sh TACKEDIT_CLI TACKEDIT DOCS_DIR
set -uo pipefail
cli=$1
editor=$2
docs=$3
missing=0

# expect_line PAGE LINE
expect_line() {
  if ! grep -qxF -- "$2" "$1"; then
    echo "missing from $1: $2"
    missing=1
  fi
}

editor_help=$("$editor" --help) || { echo "tackedit --help failed"; exit 1; }
while IFS= read -r line; do
  case $line in
    "Usage: "* | "   or: "*) expect_line "$docs/user-guide.md" "$line" ;;
    *) break ;;
  esac
done <<<"$editor_help"

help=$("$cli" --help) || { echo "tackedit-cli --help failed"; exit 1; }
# The synopsis: the lines before the first blank one.
while IFS= read -r line; do
  [ -z "$line" ] && break
  expect_line "$docs/cli.md" "$line"
done <<<"$help"

# Each command the list names, by the usage --help gives it (the text before
# the summary's column) and by the first line of its own --help.
commands=0
while IFS= read -r usage; do
  commands=$((commands + 1))
  expect_line "$docs/cli.md" "Usage: tackedit-cli $usage [--quiet]"
  own=$("$cli" "${usage%% *}" --help | head -n 1)
  [ "$own" = "Usage: tackedit-cli $usage [--quiet]" ] || expect_line "$docs/cli.md" "$own"
done < <(awk '/^Commands:$/ { on = 1; next } on && /^$/ { exit }
              on && /^  [a-z]/ { sub(/^  /, ""); sub(/  .*/, ""); print }' <<<"$help")

if [ "$commands" -eq 0 ]; then
  echo "no command found in tackedit-cli --help: the list is not where this test looks"
  exit 1
fi
exit "$missing"
