# Every value is taken, however many there are: more than twenty T records
# are set and shown, and what power shows can be set back.
. "$CASES/lib.sh"
gains=""
i=0
while [ $i -lt 30 ]; do gains="$gains 0.0$((i % 10))"; i=$((i + 1)); done
make_power_file data $gains
run power data
values=""
i=0
while [ $i -lt 30 ]; do values="$values $((i * 7 - 100))"; i=$((i + 1)); done
run -q power data $values
run power data
shown=$(orvane-cli power data)
run -q power data $shown
run power data
run check data
