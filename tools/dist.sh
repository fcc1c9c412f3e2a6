#!/usr/bin/env bash
# make dist: the download for Windows users. Writes OUT/Ringlock-<version>.zip
# (build/x86/Ringlock.exe, README.txt made from the user half of README.md,
# LICENSE) and OUT/SHA256SUMS. The zip depends only on its three files: every
# entry carries the same time (SOURCE_DATE_EPOCH, else the commit's time) and
# mode, the order is fixed and zip adds no extra fields.
# Usage: dist.sh [OUT]   (default: dist)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-dist}
exe=build/x86/Ringlock.exe
[ -f "$exe" ] || { echo "dist: $exe is missing; build it first" >&2; exit 1; }

version=$(sed -n 's/^ *VALUE "ProductVersion", "\([0-9.]*\)".*/\1/p' res/Ringlock.rc)
[ -n "$version" ] || { echo "dist: no ProductVersion in res/Ringlock.rc" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/Ringlock.exe"
cp LICENSE "$stage/LICENSE"

# README.txt: the part above the developers' half, as plain text. The opening
# lines (make commands) and the screenshot with its caption are for the
# repository's page only.
awk -v version="$version" '
  BEGIN { print "Skype Ringlock " version; u = ""; while (length(u) < length("Skype Ringlock " version)) u = u "="; print u; print "" }
  /^---$/ { exit }
  /^## / { started = 1 }
  !started { next }
  skip && /^$/ { skip = 0; next }
  skip { next }
  /^!\[/ || /^\*[^* ]/ { skip = 1; next }
  /^\|[- |]*\|$/ { next }
  /^\| / {
    n = split(substr($0, 3, length($0) - 4), cell, / \| /)
    if (!header_done) { header_done = 1; next }
    line = "  " cell[1]; for (i = 2; i < n; i++) line = line "   " cell[i]
    print line; print "        " cell[n]; next
  }
  { header_done = 0 }
  /^## / { title = substr($0, 4); print title; u = ""; while (length(u) < length(title)) u = u "-"; print u; next }
  { print }
' README.md \
  | sed -z -e 's/\*\*\([^*]*\)\*\*/\1/g' -e 's/\*\([^* ][^*]*\)\*/\1/g' -e 's/`/"/g' -e 's/…/.../g' \
  | sed -e 's/$/\r/' >"$stage/README.txt"

files=(Ringlock.exe README.txt LICENSE)
chmod 0644 "${files[@]/#/$stage/}"
TZ=UTC touch -d "@$epoch" "${files[@]/#/$stage/}"
mkdir -p "$out"
zip_name="Ringlock-$version.zip"
rm -f "$out/$zip_name"
out_abs="$(cd "$out" && pwd)"
(cd "$stage" && TZ=UTC zip -X -D -9 -q "$out_abs/$zip_name" "${files[@]}")
(cd "$out" && sha256sum "$zip_name" >SHA256SUMS)
echo "dist: $out/$zip_name ($version)"
