# check: "FILE: OK" for each valid pulse file, the reason for each other on
# standard error, status 1 when any is not valid.
. "$CASES/lib.sh"
for case in $(golden_cases); do cp "$GOLDEN/$case/data.spf" "$case.spf"; done
run check $(golden_cases)
cp "$GOLDEN/mixed/data.spf" sum.spf
printf '\001' | dd of=sum.spf bs=1 seek=400 conv=notrunc 2>/dev/null
printf 'S' >short.spf
cp "$GOLDEN/mixed/data.spf" magic.spf
printf 'X' | dd of=magic.spf bs=1 seek=0 conv=notrunc 2>/dev/null
# 256 T records claimed, the word sum kept at zero by one appended word.
cp "$GOLDEN/no-records/data.spf" table.spf
printf '\001' | dd of=table.spf bs=1 seek=273 conv=notrunc 2>/dev/null
printf '\000\377' >>table.spf
run check mixed.pfh sum.spf short magic.spf nothere table.spf mixed
run check -q mixed sum
# Appending one byte to a valid file leaves it valid.
cp mixed.spf odd.spf && printf 'Z' >>odd.spf
run -q check odd
