#!/usr/bin/env bash
# Every tracked Python file passes flake8 (pyflakes and pycodestyle, .flake8 at the root), run by
# Debian's interpreter, which carries python3-flake8.
set -u
cd "${1:?usage: python_check.sh SOURCE_DIR}" || exit 1
mapfile -t sources < <(git ls-files '*.py')
if /usr/bin/python3 -m flake8 "${sources[@]}"; then
  echo "${#sources[@]} Python files checked"
else
  echo "FAIL: flake8 found the faults above"
  exit 1
fi
