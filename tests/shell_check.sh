#!/usr/bin/env bash
# Every tracked shell script passes shellcheck (.shellcheckrc at the root): the .sh files and the
# scripts without a suffix whose first line starts a shell.
set -u
cd "${1:?usage: shell_check.sh SOURCE_DIR}" || exit 1
mapfile -t scripts < <(
  git ls-files | while read -r file; do
    case ${file##*/} in
    *.sh) echo "$file" ;;
    *.*) ;;
    *) head -n 1 "$file" 2>/dev/null | grep -qE '^#!.*\b(ba)?sh\b' && echo "$file" ;;
    esac
  done
)
if shellcheck -f gcc "${scripts[@]}"; then
  echo "${#scripts[@]} shell scripts checked"
else
  echo "FAIL: shellcheck found the faults above"
  exit 1
fi
