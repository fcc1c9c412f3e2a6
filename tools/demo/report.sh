#!/usr/bin/env bash
# Prints a demo run's transcript (the stand-in client's and the media players',
# merged, in ms from the first ring of the listed contact's call), checks what
# Ringlock did against what it must do, and prints a one-line verdict.
# Usage: report.sh DEMO_FOLDER; exits 1 when the call was not answered as expected.
set -uo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
# A delay the program must keep, as the tests' contract states it.
delay() { sed -n "s/^CONTRACT($1, \([0-9]*\)).*/\1/p" "$src/tests/Contract.h"; }
answer_ms=$(delay ANSWER_DELAY_MS)
video_ms=$(delay START_VIDEO_DELAY_MS)
maximise_ms=$(delay MAXIMIZE_DELAY_MS)
minimise_ms=$(delay MEDIA_MINIMIZE_DELAY_MS)
pause_ms=$(delay MEDIA_PAUSE_DELAY_MS)
mute_ms=$(delay MEDIA_MUTE_DELAY_MS)
cd "$1"
contact=alice.demo contact_call=1001 stranger=bob.stranger stranger_call=1002

t0=$(awk -v ring="CALL $contact_call STATUS RINGING" \
  '$2 == "->" && substr($0, length($0) - length(ring) + 1) == ring { print $1; exit }' client.log 2>/dev/null)
[ -n "$t0" ] || t0=$(awk 'NR == 1 { print $1 }' client.log 2>/dev/null)
[ -n "$t0" ] || t0=0

echo "Transcript (ms from the first ring of $contact's call):"
{ sed 's/^/C /' client.log; sed 's/^/P /' players.log; } 2>/dev/null | sort -s -k2,2n | awk -v t0="$t0" '
  {
    text = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ ?/, "", text)
    t = $2 - t0
    if ($1 == "P") {
      if ($3 == "==") next
      printf "%9.1f  %-20s %s\n", t, "Ringlock -> " $3, text
    } else if ($3 == "<-") printf "%9.1f  %-20s %s\n", t, "Ringlock -> client", text
    else if ($3 == "->") printf "%9.1f  %-20s %s\n", t, "client -> Ringlock", text
    else if ($3 == "<<") printf "%9.1f  %-20s %s\n", t, "Ringlock -> client", text
    else if ($3 == ">>") printf "%9.1f  %-20s %s\n", t, "client -> Ringlock", text
    else if ($3 == "==") printf "%9.1f  ---- %s\n", t, text
    else printf "%9.1f  !! %s\n", t, text
  }'

echo
echo "Call history ($(pwd)/Ringlock calls.txt):"
sed 's/\r$//; s/^\xEF\xBB\xBF//; s/^/  /' "Ringlock calls.txt" 2>/dev/null | expand -t 22
# Each call's line: who, whether listed, what happened.
history_ok=$(awk -F'\t' -v contact="$contact" -v stranger="$stranger" '
  { sub(/\r$/, "") }
  NR == 2 && $2 == contact && $3 == "yes" && $4 == "answered by Ringlock" { ok++ }
  NR == 3 && $2 == stranger && $3 == "no" && $4 == "missed" { ok++ }
  END { if (ok == 2 && NR == 3) print 1 }' "Ringlock calls.txt" 2>/dev/null)

expected_settings=$(printf '1\r\n1\r\n%s\r\n' "$contact" | od -An -c)
actual_settings=$(od -An -c Ringlock.ini 2>/dev/null)
ringlock_exit=$(cat ringlock.exit 2>/dev/null || echo none)
shot=""
[ -s ringlock-demo.png ] && shot="$(pwd)/ringlock-demo.png"

verdict=$({ sed 's/^/C /' client.log; sed 's/^/P /' players.log; } 2>/dev/null | awk \
  -v c="$contact_call" -v s="$stranger_call" -v contact="$contact" -v stranger="$stranger" \
  -v exitcode="$ringlock_exit" -v settings_ok="$([ "$expected_settings" = "$actual_settings" ] && echo 1)" \
  -v shot="$shot" -v history_ok="$history_ok" -v answer="$answer_ms" -v video="$video_ms" -v maximise="$maximise_ms" \
  -v minimise="$minimise_ms" -v pause="$pause_ms" -v mute="$mute_ms" '
  function first(key, t) { if (!(key in at)) at[key] = t }
  {
    text = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ ?/, "", text)
    if ($1 == "C") {
      if ($3 == "!!") failures = failures "; stand-in: " text
      if ($3 == ">>" && text ~ /^attach 0 /) first("attached", $2)
      if ($3 == "->") first("-> " text, $2)
      if ($3 == "<-") { first("<- " text, $2); last = text }
    } else if ($3 == "WMP" || $3 == "WMC") {
      n = split(text, f, " ")
      first($3 " " f[4], $2)
    }
  }
  function need(key) { if (!(key in at)) { bad = bad "; no \"" key "\""; return 0 } return 1 }
  # Never early, at most two seconds late.
  function within(what, from, to, low,   d) {
    if (!need(from) || !need(to)) return
    d = at[to] - at[from]
    if (d < low || d > low + 2000) bad = bad sprintf("; %s after %.0f ms (expected %d to %d)", what, d, low, low + 2000)
  }
  END {
    bad = failures
    need("attached")
    partner = "-> CALL " c " PARTNER_HANDLE " contact
    within("answer", partner, "<- SET CALL " c " STATUS INPROGRESS", answer)
    within("video", "-> CALL " c " VIDEO_SEND_STATUS AVAILABLE", "<- ALTER CALL " c " START_VIDEO_SEND", video)
    within("maximise", "<- ALTER CALL " c " START_VIDEO_SEND", "<- SET WINDOWSTATE MAXIMIZED", maximise)
    within("WMP minimise", partner, "WMP minimise", minimise)
    within("WMC minimise", partner, "WMC minimise", minimise)
    within("WMP pause", partner, "WMP pause", pause)
    within("WMC pause", partner, "WMC pause", pause)
    within("WMP mute", partner, "WMP mute", mute)
    if ("WMC mute" in at) bad = bad "; WMC was muted"
    need("<- GET CALL " s " PARTNER_HANDLE")
    if (("<- SET CALL " s " STATUS INPROGRESS") in at) bad = bad "; the stranger was answered"
    if (last != "PING") bad = bad "; the last command was \"" last "\", not PING"
    if (exitcode != "0") bad = bad "; Ringlock ended with " exitcode
    if (settings_ok != "1") bad = bad "; Ringlock.ini was not written back as loaded"
    if (history_ok != "1") bad = bad "; the call history does not hold the two calls as they ended"
    if (shot == "") bad = bad "; no screenshot"
    if (bad != "") { print "FAIL " substr(bad, 3); exit }
    printf "PASS %s answered %.2f s after being recognised, video started %.2f s after it could be, client maximised, players minimised, paused and muted; %s left ringing; both calls in the call history; Ringlock exited with 0 and wrote its settings\n",
      contact, (at["<- SET CALL " c " STATUS INPROGRESS"] - at[partner]) / 1000,
      (at["<- ALTER CALL " c " START_VIDEO_SEND"] - at["-> CALL " c " VIDEO_SEND_STATUS AVAILABLE"]) / 1000, stranger
  }')

echo
echo "Verdict: $verdict"
echo "Screenshot: ${shot:-none}"
[ "${verdict%% *}" = "PASS" ]
