#!/usr/bin/env bash
# One demo run inside the Wine session of tools/with-wine.sh: the media-player
# stand-ins, the stand-in client and Ringlock.exe, each a process of its own;
# a screenshot of Ringlock's dialog at the scenario's "screenshot" mark; the
# exit codes in *.exit. Usage: session.sh DEMO_FOLDER
set -uo pipefail
tools=$(cd "$(dirname "$0")/.." && pwd)
cd "$1"
wine=/usr/lib/wine/wine64
ringlock_wine=$("$tools/wine-loader" Ringlock.exe)
deadline=$((SECONDS + 50))

# Waits until FILE has a line matching PATTERN; gives up when PID has ended
# or the deadline has passed.
wait_for_line() {
  until grep -q -- "$2" "$1" 2>/dev/null; do
    if ! kill -0 "$3" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
      return 1
    fi
    sleep 0.05
  done
}

# Waits for PID to end (killing it at the deadline) and writes its exit code to NAME.exit.
collect() {
  while kill -0 "$1" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
  if kill -0 "$1" 2>/dev/null; then
    kill "$1" 2>/dev/null
    echo "killed" >"$2.exit"
  fi
  wait "$1"
  local code=$?
  [ -f "$2.exit" ] || echo "$code" >"$2.exit"
}

"$wine" standin_players.exe --follow --timeout-ms 50000 players.log 2>players.err &
players=$!
wait_for_line players.log ' == ready' "$players"
"$wine" standin_client.exe call.scenario client.log 2>client.err &
client=$!
wait_for_line client.log ' == ready' "$client"
"$ringlock_wine" Ringlock.exe 2>ringlock.err &
ring=$!

if wait_for_line client.log ' == screenshot$' "$client"; then
  import -window 'Skype Ringlock' ringlock-demo.png 2>/dev/null \
    || import -window root ringlock-demo.png 2>/dev/null
fi
touch screenshot.taken

collect "$ring" ringlock
collect "$client" client
collect "$players" players
exit 0
