#!/usr/bin/env bash
# The manual pages: every page renders without a warning, and every option that a program's
# --help lists appears in its page (man/NAME.1 for the program NAME in the build folder).
set -u
pages=$(cd "${1:?usage: manual_pages.sh MAN_DIR BUILD_DIR}" && pwd)
build=$(cd "${2:?usage: manual_pages.sh MAN_DIR BUILD_DIR}" && pwd)
failures=0
count=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

for page in "$pages"/*.[1-8]; do
  count=$((count + 1))
  warnings=$(groff -ww -man -Tascii -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  case $page in *.1) ;; *) continue ;; esac
  name=$(basename "$page" .1)
  [ -x "$build/$name" ] || { fail "$name: no program for the page"; continue; }
  help=$("$build/$name" --help) || { fail "$name --help: exit status $?"; continue; }
  text=$(groff -man -Tascii "$page" 2>/dev/null | col -bx)
  while read -r option; do
    grep -qF -- "$option" <<<"$text" || fail "$name: $option is in --help but not in the page"
  done < <(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
done
echo "$count manual pages, $failures failed"
[ "$count" -gt 0 ] && [ "$failures" -eq 0 ]
