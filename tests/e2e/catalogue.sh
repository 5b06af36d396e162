#!/usr/bin/env bash
# The catalogue of damaged inputs. Each row of the table (tab-separated: name, program, expected
# class, base input, edit) runs the program in an empty temporary folder on the base input from
# catalogue/ passed through the edit, a shell filter built from the helpers below. The class of
# the answer must match (run_checks.sh says what each class means, and what every run must
# also hold: an end within a few seconds, no NaN, no overflowed coordinate). A class written "xfail:<class>" marks a known fault of the program: the case is run and shown, and
# fails only once it passes (so that the mark is dropped with the fix).
set -u
here=$(cd "$(dirname "$0")" && pwd)
table=${1:-$here/catalogue.tsv}
bases=$here/catalogue
KELMA=$(realpath "$KELMA")
SYMMETRY=$(realpath "$SYMMETRY")
. "$here/run_checks.sh"

# Edit helpers: each reads an input on standard input and writes the edited input.
# key NAME VALUE: the record of keyword $NAME becomes "$NAME VALUE".
key() { sed "s|^\\\$$1\\b.*|\$$1 $2|"; }
# drop NAME: the record of keyword $NAME goes.
drop() { sed "/^\\\$$1\\b/d"; }
# upper NAME: the keyword $NAME is written in capitals.
upper() { sed "s|^\\\$$1\\b|\$${1^^}|"; }
# atom N TEXT / bond N TEXT: line N of the atom lines / of the bond lines becomes TEXT.
nth_after() { awk -v mark="$1" -v n="$2" -v text="$3" \
  '$0 ~ "^\\" mark { at = NR } at && NR == at + n { print text; next } { print }'; }
# shellcheck disable=SC2016 # the marks are keywords, not variables
atom() { nth_after '$coordinates' "$1" "$2"; }
# shellcheck disable=SC2016
bond() { nth_after '$connectivity' "$1" "$2"; }
# field N TEXT: the 16 columns of coordinate N (1 to 3) of the first atom line become TEXT.
field() { awk -v k="$1" -v text="$2" \
  'go == 1 { $0 = substr($0, 1, 16 * (k - 1)) sprintf("%16s", text) substr($0, 16 * k + 1); go = 2 }
   /^\$coordinates/ { go = 1 } { print }'; }
# atoms_at TEXT: every atom line begins with the 48 columns TEXT (all atoms at one point).
atoms_at() { awk -v text="$1" \
  '/^\$/ { inside = ($0 ~ /^\$coordinates/) ; print; next }
   inside { $0 = sprintf("%-48s", text) substr($0, 49) } { print }'; }

while IFS=$'\t' read -r name program expect base edit; do
  case $name in '' | '#'*) continue ;; esac
  case $program in
    kelma) exe=$KELMA ;;
    symmetry) exe=$SYMMETRY ;;
    *) verdict "$name" "unknown program '$program'"; continue ;;
  esac
  work=$(mktemp -d)
  (eval "${edit:-cat}") <"$bases/$base" >"$work/input"
  if cmp -s "$work/input" "$bases/$base"; then
    verdict "$name" "the edit leaves the base input as it is"
    rm -rf "$work" && continue
  fi
  run_limited "$exe" "$work"
  fault=$(check_run "$work" "$expect")
  if [ "${expect%%:*}" = xfail ]; then
    # A known fault of the program, awaiting its fix: reported, not counted, until it passes.
    if [ -n "$fault" ]; then
      echo "KNOWN $name: $fault"
      count=$((count + 1))
    else
      verdict "$name" "passes now; drop its xfail mark"
    fi
  else
    verdict "$name" "$fault"
  fi
  rm -rf "$work"
done <"$table"
echo "$count catalogue cases, $failures failed"
[ "$failures" -eq 0 ]
