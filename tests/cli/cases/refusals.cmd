# A blank or non-integer VALUE is a usage error and writes nothing; output
# that cannot be written is a failure, not a success.
. "$CASES/lib.sh"
make_power_file e 0.5 -0.2
cp e.spf before.spf
run power e "" 30
run power e ""
run power e 10 " "
run power e 10.5
cmp -s e.spf before.spf && echo "e.spf unchanged"
orvane-cli power e >/dev/full; echo "exit $?"
orvane-cli check e >/dev/full; echo "exit $?"
orvane-cli info e >/dev/full; echo "exit $?"
orvane-cli --help >/dev/full; echo "exit $?"
