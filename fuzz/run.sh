#!/usr/bin/env bash
# Runs each fuzz target named for a short while (FUZZ_SECONDS each, default 10) over a
# corpus kept in the build folder, seeded from the tests' fixtures and fuzz/seeds, so
# what one run learns the next starts from. A finding is saved under <build>/findings;
# every target has its turn, then the run fails if any found something.
set -uo pipefail
build=$1
source=$2
shift 2
seconds=${FUZZ_SECONDS:-10}

# The recorded tool outputs the tests read, by target.
declare -A fixtures=(
  [launchctl]="background-items/launchctl-list.txt"
  [ps]="browser-tabs/ps-args.txt"
  [tab_script]="browser-tabs/listing-profiles.txt browser-tabs/listing-malformed.txt"
)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
mkdir -p "$build/findings"
found=()
for name in "$@"; do
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  for fixture in ${fixtures[$name]:-}; do
    cp "$source/Tests/Fixtures/$fixture" "$corpus/"
  done
  if [ -d "$source/fuzz/seeds/$name" ]; then
    cp "$source/fuzz/seeds/$name/"* "$corpus/"
  fi
  options=(-max_total_time="$seconds" -timeout=10 -artifact_prefix="$build/findings/$name-")
  if [ -f "$source/fuzz/$name.dict" ]; then
    options+=(-dict="$source/fuzz/$name.dict")
  fi
  log=$build/fuzz_$name.log
  if "$build/fuzz_$name" "${options[@]}" "$corpus" >"$log" 2>&1; then
    echo "fuzz_$name: $(grep -o 'Done [0-9]* runs' "$log" | tail -n 1), no finding"
  else
    echo "fuzz_$name: FOUND something; input under $build/findings, log $log:"
    grep -m 3 -E 'broken:|runtime error|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|SUMMARY' "$log"
    found+=("$name")
  fi
done
if [ ${#found[@]} -gt 0 ]; then
  echo "findings in: ${found[*]}"
  exit 1
fi
