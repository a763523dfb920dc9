#!/usr/bin/env bash
# docs/cli.md holds, word for word, every usage line tackedit-cli prints: the
# synopsis of --help and each command's usage line as COMMAND --help prints it.
# --help is the man page's source, so the page and the man page stay in step.
# Usage: cli_docs_test.sh TACKEDIT_CLI DOCS_CLI_MD
set -uo pipefail
cli=$1
page=$2
missing=0

expect_line() {
  if ! grep -qxF -- "$1" "$page"; then
    echo "missing from $page: $1"
    missing=1
  fi
}

help=$("$cli" --help) || { echo "tackedit-cli --help failed"; exit 1; }
# The synopsis: the lines before the first blank one.
while IFS= read -r line; do
  [ -z "$line" ] && break
  expect_line "$line"
done <<<"$help"

# Each command the list names, by the usage --help gives it (the text before
# the summary's column) and by the first line of its own --help.
commands=0
while IFS= read -r usage; do
  commands=$((commands + 1))
  expect_line "Usage: tackedit-cli $usage [--quiet]"
  own=$("$cli" "${usage%% *}" --help | head -n 1)
  [ "$own" = "Usage: tackedit-cli $usage [--quiet]" ] || expect_line "$own"
done < <(awk '/^Commands:$/ { on = 1; next } on && /^$/ { exit }
              on && /^  [a-z]/ { sub(/^  /, ""); sub(/  .*/, ""); print }' <<<"$help")

if [ "$commands" -eq 0 ]; then
  echo "no command found in tackedit-cli --help: the list is not where this test looks"
  exit 1
fi
exit "$missing"
