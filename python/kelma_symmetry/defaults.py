"""The defaults of the package's calls, in one place: those of the tools (``ffprep --help``),
read from the tools themselves, so that a run from Python starts from the settings of a run of
ffbatch. ``nsteps="auto"`` is the tools' cycle limit: 50 cycles per atom, 1,000 to 9,998."""

from . import _core, checks

_JOB = _core.job_defaults

JOBTYPE = int(_JOB["jobtype"])
GTOL = float(_JOB["gtol"])
ETOL = float(_JOB["etol"])
NSTEPS = _JOB["nsteps"]
VDWC = float(_JOB["vdwc"])
PRINT_LEVEL = int(_JOB["print"])
THRSYM = float(_JOB["thrsym"])
# Seconds one molecule of a batch may take, reading and both programs together.
TIMEOUT_SECONDS = _core.default_timeout_seconds
# The word of the automatic cycle limit.
AUTOMATIC = "auto"


def given_cycle_limit(nsteps):
    """nsteps checked; None for "auto", whose limit depends on the molecule."""
    if isinstance(nsteps, str) and nsteps == AUTOMATIC:
        return None
    return checks.integer("$nsteps", nsteps, minimum=0)


def cycle_limit(nsteps, natoms):
    """The cycle limit of a run: nsteps itself, or for "auto" the tools' limit for natoms atoms."""
    given = given_cycle_limit(nsteps)
    return _core.automatic_cycle_limit(natoms) if given is None else given


def workers():
    """The tools' number of workers: the CPUs this process may run on."""
    return _core.available_cpus()
