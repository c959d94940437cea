#!/bin/bash
# The bash completion of orvane-cli, driven as bash drives it: COMP_WORDS and
# COMP_CWORD set as for a line typed up to the cursor, then _orvane_cli
# called, and COMPREPLY compared. Options may come before the command
# (orvane-cli -o DIR -j 4 to-ascii FILE), as the program reads them.
#
# Usage: completion_test.sh [COMPLETION_FILE]   (default: cli/orvane-cli.bash)
set -u
completion=$(realpath "${1:-$(dirname "$0")/../../cli/orvane-cli.bash}")
# shellcheck source=/dev/null
source "$completion" || { echo "completion: cannot load $completion"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
# A folder named like a command tells an option's value from the command.
mkdir out info
touch data.spf data.pfh data.T0

failed=0
passed=0

# complete WORD... : the sorted replies for a line whose last WORD is the
# one under the cursor ("" for a fresh word), one per line.
complete_words() {
  COMP_WORDS=(orvane-cli "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _orvane_cli 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort
}

# expect "EXPECTED REPLIES" WORD... : exactly these replies, in any order.
expect() {
  local want got
  want=$(echo "$1" | tr ' ' '\n' | sed '/^$/d' | sort)
  shift
  got=$(complete_words "$@")
  if [ "$got" = "$want" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "completion: orvane-cli $* <TAB>"
    echo "  expected: $(echo "$want" | tr '\n' ' ')"
    echo "  got:      $(echo "$got" | tr '\n' ' ')"
  fi
}

commands=$(complete_words "")

# The command names, whatever options and option values come first.
for must in to-ascii from-ascii power check info stats diff repair salvage; do
  grep -qx -- "$must" <<<"$commands" || { echo "completion: '$must' missing from the commands"; failed=$((failed + 1)); }
done
expect "$commands" -o out ""
expect "$commands" -o info ""
expect "$commands" --output-dir out ""
expect "$commands" --output-dir = out ""
expect "$commands" -oout ""
expect "$commands" -j 4 ""
expect "$commands" --jobs 4 ""
expect "$commands" -j4 ""
expect "$commands" --no-headers ""
expect "$commands" -q --trace --keep-partial ""
expect "$commands" -- ""
expect "$commands" -o info -j 2 --no-headers ""
expect "to-ascii" -o out -j 2 --no-headers t
expect "from-ascii" -o info f

# The files of the command, found after the options before it.
expect "data.spf out info" -o out to-ascii ""
expect "data.spf out info" -o info to-ascii ""
expect "data.pfh out info" -j 4 from-ascii ""
expect "data.pfh out info" --no-headers -- from-ascii ""
expect "data.spf out info" -o info check data.spf ""
expect "data.spf out info" --output-dir = info info ""

# Options before the command: every option the program takes there.
expect "--no-headers" --no
expect "--no-headers" -o out --no
expect "--output --output-dir" --out
expect "--keep-partial" -j 4 --kee
expect "--exact" -j 4 --exa
expect "--exact" to-ascii --exa
expect "" from-ascii --exa
expect "--strict" from-ascii data.pfh --st
expect "--no-headers" check --no
expect "-j" -j 2 -j
expect "--jobs" --job
# After the command, only what that command takes.
expect "" power --no
expect "--no-headers" -o out to-ascii --no
expect "--json" check --js
expect "--tolerance" diff --tol
expect "--output" salvage --outp
# repair and salvage write a file: -o offers pulse files and folders.
expect "data.spf info out" repair data.spf -o ""

# Option values: folders for -o, nothing to offer for -j.
expect "out info" -o ""
expect "out info" to-ascii -o ""
expect "out info" --output-dir ""
# bash splits "--output-dir=o" into --output-dir, = and o; "--output-dir="
# leaves "=" under the cursor.
expect "out info" --output-dir =
expect "out" --output-dir = o
expect "info" -j 2 --output-dir = i
expect "" -j ""
expect "" --jobs =
expect "" to-ascii -j ""

echo "completion: $passed passed, $failed failed"
[ "$failed" = 0 ]
