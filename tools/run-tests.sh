#!/usr/bin/env bash
# Runs every test: the host-built logic tests, then the Windows test programs
# under wine64 inside one Wine session.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
ctest --test-dir build/native --output-on-failure || status=1
tools/with-wine.sh build/x64/wineprefix \
  ctest --test-dir build/x64 --output-on-failure "$@" || status=1
exit $status
