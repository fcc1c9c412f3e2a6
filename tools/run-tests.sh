#!/usr/bin/env bash
# Runs every test: the host-built logic tests; then, inside one Wine session,
# the x64 Windows test programs and the x86 ones (the shipped program's
# build); then the download's check. Arguments go to both ctest runs.
set -uo pipefail
cd "$(dirname "$0")/.."

# One ctest run, with a closing line that names it: NAME DIR [ctest args...]
ctest_run() {
  local name=$1 dir=$2 log start status counts
  shift 2
  log=$(mktemp)
  start=$SECONDS
  echo "== $name run: ctest in $dir"
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  counts=$(grep -Eo '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  rm -f "$log"
  if [ "$status" -eq 0 ]; then
    echo "== $name run: passed (${counts:-no tests found}) in $((SECONDS - start)) s"
  else
    echo "== $name run: FAILED (${counts:-ctest exit $status}) in $((SECONDS - start)) s"
  fi
  return "$status"
}

if [ "${1:-}" = "--in-wine-session" ]; then
  shift
  status=0
  ctest_run x64 build/x64 "$@" || status=1
  if ! tools/runs-32bit.sh; then
    echo "x86 tests not run: this machine cannot run 32-bit programs"
  elif [ ! -x /usr/lib/wine/wine ]; then
    echo "== x86 run: FAILED: Wine's 32-bit loader is missing; run tools/install-deps.sh as root"
    status=1
  else
    ctest_run x86 build/x86 "$@" || status=1
  fi
  exit $status
fi

status=0
ctest_run native build/native || status=1
tools/with-wine.sh build/x64/wineprefix "$0" --in-wine-session "$@" || status=1
tools/dist-check.sh || status=1
exit $status
