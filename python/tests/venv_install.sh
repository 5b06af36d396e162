#!/usr/bin/env bash
# Installs the package from the checkout into a fresh virtual environment that sees Debian's
# packages, with pip kept off the network, and runs the tutorial of docs/python.md there.
# Usage: python/tests/venv_install.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install --no-build-isolation --no-index --quiet "$root"
awk '/^```python$/ { code = 1; next } /^```$/ { code = 0 } code' "$root/docs/python.md" >"$work/tutorial.py"
cd "$work"
"$work/venv/bin/python" tutorial.py
grep -q '^C ' ethane-symmetrised.xyz
echo "the package installs into a virtual environment and the tutorial runs there"
