"""Every Python block of docs/python.md runs: in order, in one namespace, in a fresh folder, as
a reader would paste them."""

import re

from support import ROOT

BLOCK = re.compile(r"^```python\n(.*?)^```$", re.MULTILINE | re.DOTALL)


def test_every_python_block_of_the_guide_runs(tmp_path, monkeypatch):
    blocks = BLOCK.findall((ROOT / "docs/python.md").read_text())
    assert len(blocks) >= 7
    monkeypatch.chdir(tmp_path)
    namespace = {}
    for number, block in enumerate(blocks, 1):
        exec(compile(block, f"docs/python.md, block {number}", "exec"), namespace)
    assert (tmp_path / "energies.png").stat().st_size > 0
    assert len(namespace["results"]) == len(namespace["library"])
