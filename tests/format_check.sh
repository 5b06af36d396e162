#!/usr/bin/env bash
# Every tracked C++ source follows .clang-format.
set -u
cd "${1:?usage: format_check.sh SOURCE_DIR}" || exit 1
mapfile -t sources < <(git ls-files '*.cpp' '*.hpp')
if clang-format --dry-run -Werror "${sources[@]}"; then
  echo "${#sources[@]} sources formatted"
else
  echo "FAIL: run clang-format -i on the files above"
  exit 1
fi
