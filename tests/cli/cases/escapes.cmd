# Control characters from a file or a file name never reach the terminal
# raw: info, check, messages and traces show them as \xHH.
. "$CASES/lib.sh"
cp "$GOLDEN/mixed/data.spf" data.spf && chmod u+w data.spf
orvane-cli -q to-ascii data.spf
esc=$(printf '\033')
sed "s/^DESC: .*/DESC: ${esc}[2J${esc}]0;owned${esc}\\\\ bell$(printf '\007')/" data.pfh >x.pfh
mv x.pfh data.pfh
sed "s/^DESC: .*/DESC: ${esc}[31mred/" data.T0 >x && mv x data.T0
run -q from-ascii data.pfh
run info data.spf | grep -e '^DESC' -e '^T  *0 '
name="$(printf 'crafted\033[2J')"
cp data.spf "$name.spf"
run check "$name.spf"
run power "$name"
: >"$name.pfh"
run --trace from-ascii "$name.pfh" 2>&1 | grep -v '^progress'
