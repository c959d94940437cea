# A batch of many files converted four at a time gives the same files as one
# at a time, both ways, and the same output in the same order.
. "$CASES/lib.sh"
mkdir one four
for case in $(golden_cases); do
  for copy in 1 2 3; do
    cp "$GOLDEN/$case/data.spf" "one/$case-$copy.spf"
    cp "$GOLDEN/$case/data.spf" "four/$case-$copy.spf"
  done
done
echo "$(ls one | wc -l | tr -d ' ') pulse files"
orvane-cli -j 1 --trace to-ascii one/*.spf nothere.spf >one.trace 2>one.err
echo "one at a time: exit $?"
orvane-cli -j 4 --trace to-ascii four/*.spf nothere.spf >four.trace 2>four.err
echo "four at a time: exit $?"
diff -r one four && echo "to-ascii: the same files"
sed 's/four/one/' four.trace | cmp -s one.trace - && echo "to-ascii: the same trace"
sed 's/four/one/' four.err | cmp -s one.err - && echo "to-ascii: the same messages"
cat one.err
echo "$(find one -type f | wc -l | tr -d ' ') files"
rm one/*.spf four/*.spf
orvane-cli -j 1 from-ascii one/*.pfh && orvane-cli -j 4 from-ascii four/*.pfh && echo "from-ascii: exit 0"
diff -r one four && echo "from-ascii: the same files"
for case in $(golden_cases); do
  cmp -s "four/$case-3.spf" "$GOLDEN/$case/labelled/data.spf" || echo "four/$case-3.spf differs from golden"
done
