#!/usr/bin/env bash
# Runs every test: the host-built logic tests; then, inside one Wine session,
# the x64 Windows test programs and the x86 ones (the shipped program's
# build); then, in a second session with the display at 144 DPI, the rows
# about the display's scale on both; then the download's check. Arguments go
# to every ctest run of the Windows programs.
set -uo pipefail
cd "$(dirname "$0")/.."

# One ctest run, with a closing line that names it: NAME DIR [ctest args...]
ctest_run() {
  local name=$1 dir=$2 log start status counts cases
  shift 2
  log=$(mktemp)
  start=$SECONDS
  echo "== $name run: ctest in $dir"
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  counts=$(grep -Eo '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  counts=${counts:-ctest exit $status}
  rm -f "$log"
  # The test cases: each program's totals are the last summary in its output
  # (a child process it starts prints one of its own before that).
  cases=$(awk '
    function flush() { ran += last_ran; skipped += last_skipped; last_ran = last_skipped = 0 }
    /^[0-9]+\/[0-9]+ Test: / { flush() }
    /^\[==========\] [0-9]+ tests? from .* ran\./ { last_ran = $2; last_skipped = 0 }
    /^\[  SKIPPED \] [0-9]+ tests?\.$/ { last_skipped = $4 }
    END { flush(); if (ran) printf "; %d test cases, %d of them skipped", ran, skipped }' \
    "$dir/Testing/Temporary/LastTest.log" 2>/dev/null)
  if [ "$status" -eq 0 ]; then
    echo "== $name run: passed ($counts programs$cases) in $((SECONDS - start)) s"
  else
    echo "== $name run: FAILED ($counts programs$cases) in $((SECONDS - start)) s"
  fi
  return "$status"
}

# Inside a Wine session: the x64 and the x86 test programs. Arguments: the
# runs' name suffix, ctest's selection, then the arguments given to this script.
if [ "${1:-}" = "--in-wine-session" ]; then
  suffix=$2 select=$3
  shift 3
  status=0
  ctest_run "x64$suffix" build/x64 $select "$@" || status=1
  if ! tools/runs-32bit.sh; then
    echo "x86 tests$suffix not run: this machine cannot run 32-bit programs"
  elif [ ! -x /usr/lib/wine/wine ]; then
    echo "== x86$suffix run: FAILED: Wine's 32-bit loader is missing; run tools/install-deps.sh as root"
    status=1
  else
    ctest_run "x86$suffix" build/x86 $select "$@" || status=1
  fi
  exit $status
fi

status=0
ctest_run native build/native || status=1
tools/with-wine.sh build/x64/wineprefix "$0" --in-wine-session "" "-LE scaled" "$@" || status=1
# The display's scale is read once per Wine session: the rows about it run
# again in a session of their own at 150 %.
tools/with-wine.sh --dpi 144 build/x64/wineprefix-144dpi "$0" --in-wine-session " at 144 DPI" "-L scaled" "$@" \
  || status=1
tools/dist-check.sh || status=1
exit $status
