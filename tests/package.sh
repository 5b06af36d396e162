#!/usr/bin/env bash
# Installs the Debian package on this machine (root only), runs the installed programs and reads
# their manual pages from where the package put them, then removes the package and checks that
# nothing of it is left. Outside root it says so and does nothing.
set -euo pipefail
deb=$(realpath "${1:?usage: package.sh PACKAGE.deb}")
if [ "$(id -u)" != 0 ]; then
  echo "package.sh: not root, the package is not installed"
  exit 0
fi
name=$(dpkg-deb -f "$deb" Package)
files=$(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | grep -v '/$')
dpkg -i "$deb" >/dev/null
fail() { echo "FAIL $1"; dpkg -r "$name" >/dev/null || true; exit 1; }
/usr/bin/kelma --help | grep -q '^Usage: kelma' || fail "kelma --help"
/usr/bin/symmetry --version | grep -q '^symmetry ' || fail "symmetry --version"
/usr/bin/ffbatch --help | grep -q "^usage: ffbatch" || fail "ffbatch --help"
# The installed ffreport finds its scripts where the package put them.
batch=$(mktemp -d)
printf 'molecule\tprogram\toutcome\nghost\t-\tskipped\n' >"$batch/status.tsv"
/usr/bin/ffreport "$batch" 2>/dev/null && [ -s "$batch/report-files/3Dmol-min.js" ] ||
  fail "ffreport from the package"
rm -rf "$batch"
for page in 1/kelma 1/symmetry 5/ffdata; do
  section=${page%/*}
  page=${page#*/}
  [ "$(man -w "$section" "$page")" = "/usr/share/man/man$section/$page.$section" ] ||
    fail "man -w $section $page: $(man -w "$section" "$page" 2>&1)"
  man "$section" "$page" 2>/dev/null | grep -q "^NAME" || fail "man $section $page"
done
dpkg -r "$name" >/dev/null
for file in $files; do
  [ ! -e "$file" ] || fail "$file is left after the removal"
done
echo "package $name: installed, used and removed"
