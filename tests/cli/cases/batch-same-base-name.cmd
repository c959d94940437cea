# Names with the same base name are one conversion: they run one after
# another, never side by side, and the output keeps the order given.
cp "$GOLDEN/mixed/data.spf" data.spf
orvane-cli -j 4 --trace to-ascii data data.spf data.pfh data.spf
