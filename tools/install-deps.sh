#!/usr/bin/env bash
# Brings the Debian packages that make test, demo, bench, dist and faults
# run. Cheap when everything is present: dpkg is asked first, apt only when
# something is missing. Where the machine runs 32-bit programs, also the i386
# architecture and wine32, so that the shipped 32-bit program can be tested.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake make g++ binutils libgtest-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest
  # fonts-wine is only recommended by Debian's Wine, so --no-install-recommends
  # leaves it out; without its Marlett, Wine draws the caption buttons as "0" and "r".
  wine64 fonts-wine xvfb xauth
  imagemagick
  zip unzip
  # The check of what the built programs declare to Windows, and the
  # benchmark's line about the machine (free).
  python3 procps
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: $1; run as root to install them" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

export DEBIAN_FRONTEND=noninteractive
updated=0
if [ ${#missing[@]} -gt 0 ]; then
  need_root "missing packages (${missing[*]})"
  echo "install-deps: installing ${missing[*]}"
  apt-get update -qq
  updated=1
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The probe needs binutils, so it runs only once the list above is in place.
tools/runs-32bit.sh || exit 0
installed wine32:i386 && exit 0
need_root "missing package wine32:i386 (this machine runs 32-bit programs)"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture"
  dpkg --add-architecture i386
  updated=0
fi
echo "install-deps: installing wine32:i386"
[ "$updated" -eq 1 ] || apt-get update -qq
apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
