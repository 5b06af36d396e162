#!/usr/bin/env bash
# Every C++ source of the build passes clang-tidy (.clang-tidy at the root: function size and a
# short list of bug-prone and performance checks), with its headers in the tree, on every CPU.
# A full run takes about 15 minutes on two CPUs.
# usage: tidy_check.sh SOURCE_DIR BUILD_DIR [PATH_PREFIX...] (the prefixes pick some sources only)
set -u
source_dir=$(realpath "${1:?usage: tidy_check.sh SOURCE_DIR BUILD_DIR}")
build_dir=$(realpath "${2:?usage: tidy_check.sh SOURCE_DIR BUILD_DIR}")
[ -f "$build_dir/compile_commands.json" ] || {
  echo "FAIL: no compile_commands.json in $build_dir"
  exit 1
}
# The sources of the tree itself, not what the build generates or vendors.
shift 2
mapfile -t sources < <(cd "$source_dir" && git ls-files -- "${@:-.}" | grep '\.cpp$' |
  sed "s|^|$source_dir/|" |
  grep -Fxf <(grep -oE '"file": "[^"]*"' "$build_dir/compile_commands.json" | cut -d'"' -f4))
headers="^$source_dir/(common|kelma|symmetry|tools|support|tests|fuzz|bench|python)/"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${sources[@]}" |
  xargs -P "$(nproc)" -n 1 clang-tidy-14 -quiet -p "$build_dir" -header-filter="$headers" \
    >"$log" 2>&1
status=$?
# clang-tidy's own counts ("N warnings generated") are noise; its findings say "warning:" or
# "error:".
if [ $status -ne 0 ] || grep -qE '(warning|error): ' "$log"; then
  grep -E -A3 '(warning|error): ' "$log" | grep -v '^--$'
  echo "FAIL: clang-tidy found the faults above (exit status $status)"
  exit 1
fi
echo "${#sources[@]} sources tidy"
