#!/usr/bin/env bash
# The download's test, run by make test: makes the zip twice, two seconds
# apart, into temporary folders and checks that both are the same bytes, that
# SHA256SUMS matches, and that the zip holds, in order, the 32-bit
# Ringlock.exe that was built, README.txt with CRLF line ends and LICENSE; and
# what both built programs declare to Windows (tools/program-check.py). A step
# that fails says why, in the words of the program that failed.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "== dist: FAILED: $*"; exit 1; }
# Runs a command; when it fails, fails the check with WHAT and its output.
step() {
  local what=$1 out
  shift
  out=$("$@" 2>&1) || fail "$what: ${out:-no output}"
}

echo "== dist: checking the download"
step "tools/dist.sh" tools/dist.sh "$work/a"
sleep 2
step "tools/dist.sh, the second time" tools/dist.sh "$work/b"
zip=$(cd "$work/a" && ls Ringlock-*.zip)
[ -n "$zip" ] || fail "no Ringlock-<version>.zip"
cmp -s "$work/a/$zip" "$work/b/$zip" || fail "two runs gave different zips"
step "SHA256SUMS does not match $zip" bash -c 'cd "$1" && sha256sum --quiet -c SHA256SUMS' - "$work/a"

names=$(unzip -Z1 "$work/a/$zip" | tr '\n' ' ')
[ "$names" = "Ringlock.exe README.txt LICENSE " ] || fail "the zip holds: $names"
step "unzip" unzip -q "$work/a/$zip" -d "$work/u"
cmp -s "$work/u/Ringlock.exe" build/x86/Ringlock.exe || fail "Ringlock.exe in the zip is not build/x86/Ringlock.exe"
[ "$(tools/wine-loader "$work/u/Ringlock.exe")" = /usr/lib/wine/wine ] || fail "Ringlock.exe in the zip is not a 32-bit program"
# What the programs declare to Windows, which Wine does not act on.
command -v python3 >/dev/null || fail "python3 not found (tools/install-deps.sh installs it)"
step "tools/program-check.py" tools/program-check.py "$work/u/Ringlock.exe" build/x64/Ringlock.exe
cmp -s "$work/u/LICENSE" LICENSE || fail "LICENSE in the zip differs"
bare_lf=$(($(wc -l <"$work/u/README.txt") - $(grep -c $'\r$' "$work/u/README.txt")))
[ "$bare_lf" -eq 0 ] || fail "README.txt has $bare_lf lines without CRLF"
version=${zip#Ringlock-}
version=${version%.zip}
[ "$(head -n1 "$work/u/README.txt")" = "Skype Ringlock $version"$'\r' ] \
  || fail "README.txt does not begin with the program's name and version"
echo "== dist: passed ($zip: $(unzip -Z1 "$work/a/$zip" | wc -l) files, the same bytes twice, Ringlock.exe is the x86 build)"
