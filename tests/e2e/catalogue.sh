#!/usr/bin/env bash
# The catalogue of damaged inputs. Each row of the table (tab-separated: name, program, expected
# class, base input, edit) runs the program in an empty temporary folder on the base input from
# catalogue/ passed through the edit, a shell filter built from the helpers below. The class of
# the answer must match:
#   reject  exit status 2, a diagnostic on standard error, nothing on standard output
#   report  exit status 0 and a "STOP ..." line on standard error (a numbered report, a stop)
#   result  exit status 0, records on standard output, nothing on standard error
# and whatever the class, no record of standard output, debug, fort.8 or fort.9 holds a NaN or an
# infinity, and no coordinate or cycle record holds an overflowed (asterisk) field. A class
# written "xfail:<class>" marks a known fault of the program: the case is run and shown, and
# fails only once it passes (so that the mark is dropped with the fix).
set -u
here=$(cd "$(dirname "$0")" && pwd)
table=${1:-$here/catalogue.tsv}
bases=$here/catalogue
KELMA=$(realpath "$KELMA")
SYMMETRY=$(realpath "$SYMMETRY")
run_limit=60 # seconds; a run that takes longer is a hang

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
atom() { nth_after '$coordinates' "$1" "$2"; }
bond() { nth_after '$connectivity' "$1" "$2"; }
# field N TEXT: the 16 columns of coordinate N (1 to 3) of the first atom line become TEXT.
field() { awk -v k="$1" -v text="$2" \
  'go == 1 { $0 = substr($0, 1, 16 * (k - 1)) sprintf("%16s", text) substr($0, 16 * k + 1); go = 2 }
   /^\$coordinates/ { go = 1 } { print }'; }
# atoms_at TEXT: every atom line begins with the 48 columns TEXT (all atoms at one point).
atoms_at() { awk -v text="$1" \
  '/^\$/ { inside = ($0 ~ /^\$coordinates/) ; print; next }
   inside { $0 = sprintf("%-48s", text) substr($0, 49) } { print }'; }

nonfinite_word='(^|[^[:alnum:]_])[-+]?(nan|inf|infinity)([^[:alnum:]_]|$)'

# Checks one finished run in $1; prints the fault, nothing when the run is as expected.
check_run() {
  local work=$1 expect=$2 status
  status=$(cat "$work/exit_code")
  local class
  if [ "$status" = 124 ]; then
    echo "no end within $run_limit s"; return
  elif [ "$status" = 2 ]; then
    class=reject
    [ -s "$work/stderr" ] || { echo "rejected without a diagnostic"; return; }
    [ -s "$work/stdout" ] && { echo "rejected, yet records on standard output"; return; }
  elif [ "$status" = 0 ] && grep -q '^STOP ' "$work/stderr"; then
    class=report
  elif [ "$status" = 0 ] && [ ! -s "$work/stderr" ] && [ -s "$work/stdout" ]; then
    class=result
  else
    echo "exit status $status: $(head -c 200 "$work/stderr" | head -3)"; return
  fi
  [ "$class" = "${expect#xfail:}" ] ||
    { echo "$class, expected ${expect#xfail:}: $(head -1 "$work/stderr")"; return; }
  local file
  for file in stdout debug fort.8 fort.9; do
    [ -e "$work/$file" ] || continue
    if grep -Eiq "$nonfinite_word" "$work/$file"; then
      echo "$file holds NaN or Inf: $(grep -Eim1 "$nonfinite_word" "$work/$file")"; return
    fi
    if grep -Eq '^(!|@|\*\* ).*\*\*\*' "$work/$file"; then
      echo "$file holds an overflowed field: $(grep -Em1 '^(!|@|\*\* ).*\*\*\*' "$work/$file")"
      return
    fi
  done
}

failures=0
count=0
while IFS=$'\t' read -r name program expect base edit; do
  case $name in '' | '#'*) continue ;; esac
  case $program in
    kelma) exe=$KELMA ;;
    symmetry) exe=$SYMMETRY ;;
    *) echo "FAIL $name: unknown program '$program'"; failures=$((failures + 1)); continue ;;
  esac
  work=$(mktemp -d)
  (eval "${edit:-cat}") <"$bases/$base" >"$work/input"
  if cmp -s "$work/input" "$bases/$base"; then
    echo "FAIL $name: the edit leaves the base input as it is"
    failures=$((failures + 1)) && rm -rf "$work" && continue
  fi
  (cd "$work" && timeout "$run_limit" "$exe" <input >stdout 2>stderr; echo $? >exit_code)
  count=$((count + 1))
  fault=$(check_run "$work" "$expect")
  if [ "${expect%%:*}" = xfail ]; then
    # A known fault of the program, awaiting its fix: reported, not counted, until it passes.
    if [ -n "$fault" ]; then
      echo "KNOWN $name: $fault"
    else
      echo "FAIL $name: passes now; drop its xfail mark"
      failures=$((failures + 1))
    fi
  elif [ -n "$fault" ]; then
    echo "FAIL $name: $fault"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
  rm -rf "$work"
done <"$table"
echo "$count catalogue cases, $failures failed"
[ "$failures" -eq 0 ]
