// The symmetry program is built in its own issue.
