#!/usr/bin/env bash
# make bench: Ringlock's relay cost, answer timing, idle cost, start-up and
# footprint, each beside the platform's own floor measured in the same run,
# under wine64 on a virtual display (x64 build). Prints a table for people and
# METRIC lines for machines, and keeps them in build/bench/last-run.txt.
# BENCH_X64 / BENCH_X86 name other build trees. Extra arguments go to the
# driver (tools/bench/driver/), e.g.
#   tools/bench.sh --phases relay-hidden --burst 500
set -euo pipefail
cd "$(dirname "$0")/.."

x64=${BENCH_X64:-build/x64}
x86=${BENCH_X86:-build/x86}
out=build/bench
mkdir -p "$out"

for exe in "$x64/Ringlock.exe" "$x64/bench_driver.exe" "$x64/bench_relay.exe" "$x64/bench_static.exe"; do
  if [ ! -f "$exe" ]; then
    echo "bench: $exe is missing; run make build first" >&2
    exit 2
  fi
done
size_of() { if [ -f "$1" ]; then stat -c %s "$1"; else echo -1; fi; }
size_x86=$(size_of "$x86/Ringlock.exe")
size_x64=$(size_of "$x64/Ringlock.exe")

{
  echo "Ringlock benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)," \
       "$(free -g | awk '/^Mem:/ {print $2}') GiB, Linux $(uname -r), $(/usr/lib/wine/wine64 --version)," \
       "Xvfb with a Wine virtual desktop"
  echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$out/last-run.txt"

start=$(date +%s)
status=0
tools/with-wine.sh "$x64/wineprefix" tools/wine-run --prefix "$x64/wineprefix" "$x64/bench_driver.exe" \
  --size-x86 "$size_x86" --size-x64 "$size_x64" "$@" 2>&1 | tee -a "$out/last-run.txt" || status=$?

{
  echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg); bench took $(( $(date +%s) - start )) s"
} | tee -a "$out/last-run.txt"
exit "$status"
