#!/bin/sh
# The report tool on this machine, and where it finds its catalog: beside itself, or
# installed, in its own prefix's share folder, and nowhere else (never the checkout's).
set -u
tool="$1"
cmake="$2"
build="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" >"$work/out" 2>"$work/err" || { echo "report failed: $(cat "$work/err")"; exit 1; }
head -n 1 "$work/out" | grep -Eq '^Status: (Quiet|Busy|Struggling)$' || { echo "no status line"; exit 1; }
grep -q '^CPU [0-9]*% · Memory ' "$work/out" || { echo "no state line"; exit 1; }

# Refuses, with one line naming the catalog on stderr and no report.
refuses() {
  if "$1" >"$work/out" 2>"$work/err"; then echo "$2: printed a report"; exit 1; fi
  [ "$(wc -l <"$work/err")" -eq 1 ] || { echo "$2: expected one line on stderr"; exit 1; }
  grep -q 'catalog' "$work/err" || { echo "$2: message does not name the catalog"; exit 1; }
  [ -s "$work/out" ] && { echo "$2: printed a report anyway"; exit 1; }
  return 0
}

# A catalog beside the executable wins, so a broken one there must stop the tool.
mkdir "$work/beside"
cp "$tool" "$work/beside/corvane-report"
echo '[{"id": 1}]' >"$work/beside/processes.json"
refuses "$work/beside/corvane-report" "broken catalog beside the tool"

# Installed under a prefix, it reads the prefix's catalog, wherever the prefix is.
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null || { echo "install failed"; exit 1; }
installed=$(find "$work/prefix" -type f -name corvane-report)
catalog=$(find "$work/prefix" -type f -name processes.json)
[ -n "$installed" ] && [ -n "$catalog" ] || { echo "install put no tool or catalog under the prefix"; exit 1; }
"$installed" >"$work/out" 2>"$work/err" || { echo "installed tool failed: $(cat "$work/err")"; exit 1; }
echo '[{"id": 1}]' >"$catalog"
refuses "$installed" "broken installed catalog"
# With its catalog gone it fails, though the checkout it was built from still has one.
rm "$catalog"
refuses "$installed" "no installed catalog"
exit 0
