#!/usr/bin/env bash
# make demo: Ringlock.exe answering a call from the stand-in client under
# Wine, on the user's display when there is one, otherwise on a virtual one.
# Everything happens in build/demo: a copy of Ringlock.exe with a settings file
# listing one contact and both options on, the stand-in programs, their
# transcripts and the screenshot. ARCH=x86 takes the shipped 32-bit program
# from build/x86 (it then talks to the 64-bit stand-ins); DEMO_BUILD names
# another build folder to take Ringlock.exe from. The stand-ins always come
# from build/x64.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${ARCH:-x64}
case "$arch" in x64|x86) ;; *) echo "demo: ARCH must be x64 or x86, not $arch" >&2; exit 2 ;; esac
build=${DEMO_BUILD:-build/$arch}
standins=build/x64
demo=build/demo
prefix=$standins/demo-prefix

rm -rf "$demo"
mkdir -p "$demo"
cp "$build/Ringlock.exe" "$demo/"
cp "$standins/standin_client.exe" "$standins/standin_players.exe" "$demo/"
cp tools/demo/Ringlock.ini tools/demo/call.scenario "$demo/"

display=()
[ -n "${DISPLAY:-}" ] && display=(--user-display)
bits=64
[ "$(tools/wine-loader "$demo/Ringlock.exe")" = /usr/lib/wine/wine ] && bits=32
echo "demo: running the $bits-bit Ringlock.exe from $build under Wine on ${DISPLAY:-a virtual display} (about 15 s)"
tools/with-wine.sh "${display[@]}" "$prefix" tools/demo/session.sh "$demo"
tools/demo/report.sh "$demo"
