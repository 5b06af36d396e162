# shellcheck shell=bash
# The checks shared by the catalogue of damaged inputs and the replay of the fuzz regressions.
# The classes of answer:
#   reject  exit status 2, a diagnostic on standard error, nothing on standard output
#   report  exit status 0 and a "STOP ..." line on standard error (a numbered report, a stop)
#   result  exit status 0, records on standard output, nothing on standard error
# Whatever the class, the run ends within run_limit seconds, and no record of standard output,
# debug, fort.8 or fort.9 holds a NaN or an infinity, and no coordinate or cycle record holds an
# overflowed (asterisk) field.

run_limit=${RUN_LIMIT:-10} # seconds, with room for the sanitizer builds; longer is a hang

failures=0
count=0

# verdict NAME FAULT: counts the run and prints "ok" or its fault.
verdict() {
  count=$((count + 1))
  if [ -n "$2" ]; then
    echo "FAIL $1: $2"
    failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}

# run_limited PROGRAM FOLDER: runs the program in the folder on the file "input" there.
run_limited() {
  (cd "$2" && timeout "$run_limit" "$1" <input >stdout 2>stderr; echo $? >exit_code)
}

nonfinite_word='(^|[^[:alnum:]_])[-+]?(nan|inf|infinity)([^[:alnum:]_]|$)'

# Checks the run finished in folder $1 against the class $2 (reject, report, result, or any of
# them: any); prints the fault, nothing when the run is as expected.
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
  [ "$class" = "${expect#xfail:}" ] || [ "$expect" = any ] ||
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

