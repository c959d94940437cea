# Each line of an import's text that does not fully match its field is a
# warning "FILE:LINE:COLUMN: FIELD: ..." on standard error, also with -q;
# the pulse file is byte for byte the one an edit-free text holding the
# values stored gives, and the status stays as it was.
. "$CASES/lib.sh"
src="$GOLDEN/mixed/labelled"

# fresh DIR: the text files of the mixed golden case in a new folder DIR.
fresh() {
  rm -rf "$1" && mkdir "$1"
  (cd "$src" && ls) | grep -v -e '^data.spf$' -e '\.trace$' | while read -r f; do cp "$src/$f" "$1/"; done
}

# check NAME EDIT SAME: imports the text with EDIT (shell commands run in
# its folder) and the text with SAME, which says what the import stores
# without a diagnostic, and compares the two pulse files.
check() {
  fresh edited && (cd edited && eval "$2")
  fresh same && (cd same && eval "$3")
  echo "== $1"
  run from-ascii edited/data.pfh
  orvane-cli -q from-ascii same/data.pfh
  if cmp -s edited/data.spf same/data.spf; then echo "$1: same pulse file"; else echo "$1: differs"; fi
}

check decimal-comma "sed -i 's/^GAIN: .*/GAIN: 0,25/' data.T2" "sed -i 's/^GAIN: .*/GAIN: 0/' data.T2"
check pid-range "sed -i 's/^PID : .*/PID : 70000/' data.pfh" "sed -i 's/^PID : .*/PID : 4464/' data.pfh"
check text-after-real "sed -i 's/^GAIN: .*/GAIN: 0.5abc/' data.T1" "sed -i 's/^GAIN: .*/GAIN: 0.5/' data.T1"
check text-after-size "sed -i 's/^SIZE: .*/SIZE: 21x/' data.I2" ":"
check real-range "sed -i 's/^RATE: .*/RATE: 1e39/' data.R1" "sed -i 's/^RATE: .*/RATE: inf/' data.R1"
check real-sample-range "sed -i '20s/^\(.\{9\}\).\{15\}/\1 1.0000000e+039/' data.R1" \
  "sed -i '20s/^\(.\{9\}\).\{15\}/\1            inf/' data.R1"
check no-blank "sed -i '1s/.*/DESC:Probe A/' data.T0" "sed -i '1s/.*/DESC: robe A/' data.T0"
check label "sed -i '1s/^DESC:/DSEC:/' data.I1" ":"
check rs-label "sed -i 's/^RS 0:/RS 5:/' data.T0" ":"
check long-text "sed -i \"1s/.*/DESC: \$(printf 'x%.0s' \$(seq 1 90))/\" data.T0" \
  "sed -i \"1s/.*/DESC: \$(printf 'x%.0s' \$(seq 1 79))/\" data.T0"
check byte-order-mark "printf '\357\273\277' >x && cat data.T0 >>x && mv x data.T0" \
  "printf '\357\273\277' >x && cat data.T0 >>x && sed -i \"1s/.*/DESC: \$(head -1 x | cut -c7-85)/\" x && mv x data.T0"
check sample-label "sed -i '17s/^     8:/    16:/' data.T1" ":"
check extra-value "sed -i '16s/\$/   5/' data.T0" ":"
check lines-after-end "echo ' 1.0   2.0' >>data.R1" ":"
check header-lines-after-end "echo 'RS 7: 5' >>data.pfh" ":"
# A negative SIZE reads no sample line: those that follow are ignored (the
# text without them still has its negative SIZE).
check negative-size "sed -i 's/^SIZE: .*/SIZE: -1/' data.T0" \
  "sed -i 's/^SIZE: .*/SIZE: -1/' data.T0 && head -15 data.T0 >x && echo >>x && mv x data.T0"
# At most 20 warnings a file, then their count; -q keeps them.
fresh many && (cd many && sed -i '20,$s/$/   1.0/' data.R1)
run -q from-ascii many/data.pfh
# Lines that stop the import: the warning says where and why.
fresh stops && (cd stops && sed -i '16s/^\(.\{9\}\)....../\1 40000/' data.T0)
run from-ascii stops/data.pfh
fresh short && (cd short && head -n -2 data.I2 >x && mv x data.I2)
run from-ascii short/data.pfh
fresh removed && (cd removed && sed -i '17d' data.T1)
run from-ascii removed/data.pfh
fresh added && (cd added && sed -i '17p' data.T1)
run from-ascii added/data.pfh
printf '\357\273\277' >x && cat stops/data.pfh >>x && mv x stops/data.pfh
run from-ascii stops/data.pfh
fresh bare && cp "$GOLDEN/mixed/bare/data.pfh" bare/data.pfh
run from-ascii bare/data.pfh
ls stops short removed | grep -c spf
