#!/usr/bin/env bash
# make demo: Ringlock.exe answering a call from the stand-in client under
# wine64, on the user's display when there is one, otherwise on a virtual one.
# Everything happens in build/demo: a copy of Ringlock.exe with a settings file
# listing one contact and both options on, the stand-in programs, their
# transcripts and the screenshot. DEMO_BUILD names another x64 build folder to
# take the programs from (default build/x64).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${DEMO_BUILD:-build/x64}
demo=build/demo
prefix=$build/demo-prefix

rm -rf "$demo"
mkdir -p "$demo"
cp "$build/Ringlock.exe" "$build/standin_client.exe" "$build/standin_players.exe" "$demo/"
cp tools/demo/Ringlock.ini tools/demo/call.scenario "$demo/"

display=()
[ -n "${DISPLAY:-}" ] && display=(--user-display)
echo "demo: running Ringlock.exe under wine64 on ${DISPLAY:-a virtual display} (about 15 s)"
tools/with-wine.sh "${display[@]}" "$prefix" tools/demo/session.sh "$demo"
tools/demo/report.sh "$demo"
