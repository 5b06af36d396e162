"""Progress of a batch on standard error: tqdm's bar when tqdm is installed, a plain counter
otherwise."""

import sys
import time

# The plain counter is redrawn at most this often, seconds.
REDRAW_SECONDS = 0.25
UNIT = "molecule"


class Counter:
    """A counter redrawn on one line: "120 of 575 molecules"."""

    def __init__(self, total, stream):
        self.total = total
        self.stream = stream
        self.done = 0
        self.drawn = 0.0

    def update(self, count):
        self.done += count
        now = time.monotonic()
        if now - self.drawn >= REDRAW_SECONDS:
            self.draw()
            self.drawn = now

    def draw(self):
        of = f" of {self.total}" if self.total is not None else ""
        self.stream.write(f"\r{self.done}{of} {UNIT}s")
        self.stream.flush()

    def close(self):
        self.draw()
        self.stream.write("\n")


class Silent:
    def update(self, count):
        pass

    def close(self):
        pass


def progress(total, shown):
    """What counts the inputs of a batch as they are done; total None when unknown."""
    if not shown:
        return Silent()
    try:
        from tqdm import tqdm
    except ImportError:
        return Counter(total, sys.stderr)
    return tqdm(total=total, unit=UNIT, file=sys.stderr)
