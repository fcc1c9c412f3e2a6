#!/usr/bin/env bash
# Shows what the test suite catches: each fault of tests/seeded-faults.txt is
# applied in turn to a scratch copy of the tree, which is rebuilt and tested
# (the host-built tests, then the x64 Windows tests under Wine, stopping at the
# first failure); the fault is then taken out again.
# Usage: seeded-faults.sh [--tree DIR] [--work DIR] [N ...]   (default: every fault)
#   --tree  the tree whose program and tests are tried (default: this one)
#   --work  where its copy is built (default: build/faults); runs with
#           different work folders can go on side by side
set -uo pipefail
cd "$(dirname "$0")/.."
here="$(pwd)"
tree="$here"
work="$here/build/faults"
while [ $# -gt 0 ]; do
  case "$1" in
    --tree) tree="$(cd "$2" && pwd)"; shift 2 ;;
    --work) mkdir -p "$2"; work="$(cd "$2" && pwd)"; shift 2 ;;
    *) break ;;
  esac
done
# A test program stops at its first failing test: one is enough.
export GTEST_FAIL_FAST=1
scratch="$work/src"
logs="$work/logs"
pristine="$work/pristine"

# A fresh copy of the tree to be tested, without its build trees; the run
# takes its list and its sources from the copy, so the tree may change
# meanwhile. The copy is dated now: whatever an earlier build made from a
# fault (a run stopped while one was in, or one put in by hand) is rebuilt.
rm -rf "$scratch"
mkdir -p "$scratch" "$logs"
tar -C "$tree" --exclude=./build --exclude=./.git --exclude=./dist -cf - . | tar -C "$scratch" -m -xf -
faults=(perl "$here/tools/seeded-faults.pl" "$scratch/tests/seeded-faults.txt")
"${faults[@]}" check "$scratch" >/dev/null || { "${faults[@]}" check "$scratch"; exit 2; }
selected=("$@")
[ ${#selected[@]} -eq 0 ] && selected=($(seq 1 "$("${faults[@]}" count)"))
for n in "${selected[@]}"; do "${faults[@]}" describe "$n" >/dev/null || exit 2; done

configure() {
  cmake -S "$scratch" -B "$work/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
  cmake -S "$scratch" -B "$work/x64" -DCMAKE_TOOLCHAIN_FILE="$scratch/cmake/toolchain-x64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DRINGLOCK_TEST_TIMEOUT=480 >/dev/null
}
build() {
  cmake --build "$work/native" -j 2 >"$1" 2>&1 && cmake --build "$work/x64" -j 2 >>"$1" 2>&1
}
# The name of the first test that failed, or nothing when all passed.
run_suite() {
  local log="$1"
  if ! ctest --test-dir "$work/native" --stop-on-failure >>"$log" 2>&1; then
    grep -m1 -oE '[0-9]+ - [A-Za-z0-9_.]+ \(' "$log" | sed -E 's/^[0-9]+ - (.*) \($/native:\1/'
    return
  fi
  # The rows about the display's scale run again in a session at 144 DPI.
  if ! "$scratch/tools/with-wine.sh" "$work/x64/wineprefix" \
      ctest --test-dir "$work/x64" -LE scaled --stop-on-failure --output-on-failure >>"$log" 2>&1 ||
     ! "$scratch/tools/with-wine.sh" --dpi 144 "$work/x64/wineprefix-144dpi" \
      ctest --test-dir "$work/x64" -L scaled --output-on-failure >>"$log" 2>&1; then
    local failed
    failed="$(grep -oE '[0-9]+ - [A-Za-z0-9_.]+ \(' "$log" | tail -n1 | sed -E 's/^[0-9]+ - (.*) \($/\1/')"
    echo "${failed:-the Wine session}"
  fi
}

configure || { echo "seeded-faults: cannot configure the scratch tree" >&2; exit 2; }
echo "seeded-faults: the suite without any fault (baseline)"
if ! build "$logs/baseline.log"; then echo "seeded-faults: the scratch tree does not build; see $logs/baseline.log"; exit 2; fi
failed="$(run_suite "$logs/baseline.log")"
if [ -n "$failed" ]; then
  echo "seeded-faults: the suite fails without any fault ($failed); see $logs/baseline.log"
  exit 2
fi

caught=0
missed=0
missed_list=()
for n in "${selected[@]}"; do
  what="$("${faults[@]}" describe "$n")"
  file="${what%%:*}"
  log="$logs/fault-$n.log"
  started=$SECONDS
  cp "$scratch/$file" "$pristine"
  "${faults[@]}" apply "$n" "$scratch" || exit 2
  if ! build "$log"; then
    verdict="invalid (does not build)"
  else
    failed="$(run_suite "$log")"
    if [ -n "$failed" ]; then
      verdict="caught by $failed"
      caught=$((caught + 1))
    else
      verdict="missed"
      missed=$((missed + 1))
      missed_list+=("$n")
    fi
  fi
  cp "$pristine" "$scratch/$file"
  printf '%3s %-7s %s  [%s, %ds]\n' "$n" "${verdict%% *}" "$what" "$verdict" $((SECONDS - started))
done
[ ${#missed_list[@]} -gt 0 ] && echo "missed: ${missed_list[*]}"
echo "$caught caught, $missed missed"
