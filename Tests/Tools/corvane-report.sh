#!/bin/sh
# The report tool on this machine, and its refusal of a broken catalog.
set -u
tool="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" >"$work/out" 2>"$work/err" || { echo "report failed: $(cat "$work/err")"; exit 1; }
head -n 1 "$work/out" | grep -Eq '^Status: (Quiet|Busy|Struggling)$' || { echo "no status line"; exit 1; }
grep -q '^CPU [0-9]*% · Memory ' "$work/out" || { echo "no state line"; exit 1; }

# A catalog beside the executable wins, so a broken one there must stop the tool.
cp "$tool" "$work/corvane-report"
echo '[{"id": 1}]' >"$work/processes.json"
if "$work/corvane-report" >"$work/out" 2>"$work/err"; then echo "accepted a broken catalog"; exit 1; fi
[ "$(wc -l <"$work/err")" -eq 1 ] || { echo "expected one line on stderr"; exit 1; }
grep -q 'catalog' "$work/err" || { echo "message does not name the catalog"; exit 1; }
[ -s "$work/out" ] && { echo "printed a report anyway"; exit 1; }
exit 0
