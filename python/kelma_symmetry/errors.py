"""The exceptions of the package.

Input that the programs' readers reject raises ``ValueError`` (``kelma_symmetry.InputError``)
with the one-line text the program writes on standard error. The fatal ends of the programs' own
logic raise :class:`RunStopped`, a numbered report its subclass :class:`NumberedReport`. The cycle
limit of the optimiser is no exception: the result says ``converged=False``.
"""


# What a stop says when the call kept no records to quote.
STOP_TEXTS = {"9": "too little workspace for the molecule (STOP 9)"}


class RunStopped(RuntimeError):
    """A run that the program ended itself ("STOP <code> statement executed").

    ``code`` is the stop code ("9" for too little workspace), ``records`` what the program wrote
    on standard output and ``listing`` its listing.
    """

    def __init__(self, code, message, records="", listing=""):
        super().__init__(message)
        self.code = code
        self.records = records
        self.listing = listing


class NumberedReport(RunStopped):
    """A numbered error report: its ``number``, the ``routine`` and the ``text`` as listed."""

    def __init__(self, code, report, records="", listing=""):
        self.number = report["number"]
        self.routine = report["routine"]
        self.text = report["text"]
        self.parameters = tuple(report["parameters"])
        message = f"Error no. {self.number} in {self.routine}: {self.text.rstrip()}"
        if any(self.parameters):
            message += " parameters: {} {}".format(*self.parameters)
        super().__init__(code, message, records, listing)


def stop_error(call):
    """The exception of a call that the program stopped; None when it did not."""
    stop = call["stop"]
    if stop is None:
        return None
    if stop["report"] is not None:
        return NumberedReport(stop["code"], stop["report"], call["stdout"], call["listing"])
    text = " ".join(line.strip() for line in call["stdout"].splitlines() if line.strip())
    if not text:  # a call that kept no records
        text = STOP_TEXTS.get(stop["code"], f"STOP {stop['code']}")
    return RunStopped(stop["code"], text, call["stdout"], call["listing"])


def raise_stop(call):
    """Raises the exception of a call that the program stopped; returns when it did not."""
    error = stop_error(call)
    if error is not None:
        raise error
