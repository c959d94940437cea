# A GAIN that has no whole number of hundredths an int holds (NaN, an
# infinity, hundredths beyond the range of an int) is still shown by one
# value, so that every value keeps its place, and standard error warns of
# it, naming the record and its GAIN. The exit status stays as it is; the
# hundredths that fit, to the last one, are shown without a warning.
. "$CASES/lib.sh"
make_power_file data 0.5 nan inf -inf 1e30 21474836 21474838 -21474836 -21474838
run power data.spf
run -q power data
# What is shown can be set back: each stand-in is clamped like any value.
run -q power data $(orvane-cli power data 2>/dev/null)
run power data
