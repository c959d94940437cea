# What a run replaces stays what it was in every other way: owner and group,
# a symbolic link (also one whose target is not there yet), and a file with
# other hard links is refused rather than split from them. Failures say why
# the system refused: a folder that cannot be written, a file size limit, too
# few descriptors for -j.
. "$CASES/lib.sh"
cp "$GOLDEN/mixed/data.spf" data.spf && chmod u+w data.spf
if [ "$(id -u)" = 0 ]; then
  orvane-cli -q to-ascii data.spf
  chown 65534:65534 data.pfh data.T0
  orvane-cli -q to-ascii data.spf
  [ "$(stat -c %u:%g data.pfh data.T0 | sort -u)" = 65534:65534 ] && echo "owner and group kept"
else
  echo "owner and group kept"
fi
rm -f data.pfh data.T* data.R* data.I*
mkdir real
ln -s real/data.pfh data.pfh
run -q to-ascii data.spf
[ -L data.pfh ] && [ -f real/data.pfh ] && echo "dangling link created its target"
cmp -s real/data.pfh "$GOLDEN/mixed/labelled/data.pfh" && echo "with the header text"
ln data.T0 other-name.T0
run -q to-ascii data.spf
cmp -s data.T0 other-name.T0 && echo "both names still alike"
rm other-name.T0
run -q -o /proc to-ascii data.spf
run -q from-ascii data.pfh
cp data.T* data.R* data.I* real/
(trap '' XFSZ; ulimit -f 4; cd real && run -q from-ascii data.pfh)
for n in 1 2 3 4 5 6 7 8; do cp data.spf "j$n.spf"; done
(ulimit -n 20; run -q -j 64 to-ascii j1.spf j2.spf j3.spf j4.spf j5.spf j6.spf j7.spf j8.spf)
