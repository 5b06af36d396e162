#!/usr/bin/env bash
# Every tracked C++ source follows .clang-format, as clang-format 14 (Debian 12's) formats it:
# another major version formats some constructs differently, so it is refused, not trusted.
set -u
cd "${1:?usage: format_check.sh SOURCE_DIR}" || exit 1
pinned=14
version=$(clang-format --version 2>/dev/null | grep -oE 'version [0-9]+' | grep -oE '[0-9]+')
if [ "${version:-none}" != "$pinned" ]; then
  echo "FAIL: clang-format $pinned is needed (Debian 12's); found ${version:-none}." \
    "Install clang-format-$pinned and put it first on PATH."
  exit 1
fi
mapfile -t sources < <(git ls-files '*.cpp' '*.hpp')
if clang-format --dry-run -Werror "${sources[@]}"; then
  echo "${#sources[@]} sources formatted"
else
  echo "FAIL: run clang-format -i on the files above"
  exit 1
fi
