# shellcheck shell=bash
# The frame of the tools' end-to-end scripts, sourced after they read their arguments: a scratch
# folder (the working folder, removed at the end), failure counting and status.tsv look-ups.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_status() { # expected actual what
  [ "$1" = "$2" ] || fail "$3: exit status $2, expected $1"
}
# The outcome column of a status.tsv for one molecule and program.
outcome() { awk -F'\t' -v m="$2" -v p="$3" '$1 == m && $3 == p { print $4 }' "$1"; }
# Ends the script: status 1 and the count when anything failed.
finish() { # what was checked
  if [ $failures -gt 0 ]; then
    echo "$failures failures"
    exit 1
  fi
  echo "all $1 checks passed"
}
