# A failing run: its trace on standard output, its message on standard error.
orvane-cli --trace to-ascii nothere.spf
