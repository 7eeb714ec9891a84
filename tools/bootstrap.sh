#!/usr/bin/env bash
# Installs what building, testing and running Kronvik needs on Debian 12 and
# makes the private ja_JP.UTF-8 locale under build/locale. Safe to run again:
# when everything is present it only checks, which takes well under a second.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
  cmake g++ make
  googletest libgtest-dev libgmock-dev libbenchmark-dev librapidcheck-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 libwine fonts-wine
  xvfb xauth x11-utils imagemagick
  fonts-noto-cjk fonts-ipafont-gothic locales
  clang libclang-rt-14-dev
  python3 iproute2
  nsis osslsigncode zip unzip openssl
)

missing_packages() {
  # One dpkg-query for the whole list; packages it does not know at all
  # are reported on stderr and count as missing too.
  local installed
  installed="$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${PACKAGES[@]}" 2>/dev/null \
               | awk '$2 == "installed" { print $1 }')" || true
  local p
  for p in "${PACKAGES[@]}"; do
    grep -qxF "$p" <<<"$installed" || echo "$p"
  done
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "bootstrap: need root to run: $*" >&2
    return 1
  fi
}

mapfile -t MISSING < <(missing_packages)
if [ "${#MISSING[@]}" -gt 0 ]; then
  echo "bootstrap: installing ${MISSING[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${MISSING[@]}"
fi

# Without a Japanese locale Wine quietly runs as en-US with code page 1252.
# A private compiled locale avoids touching the system's locale setup.
LOCDIR="$ROOT/build/locale"
if [ ! -s "$LOCDIR/ja_JP.UTF-8/LC_CTYPE" ]; then
  echo "bootstrap: building the ja_JP.UTF-8 locale in $LOCDIR"
  mkdir -p "$LOCDIR"
  # localedef exits 1 for mere warnings; what counts is the result below.
  localedef -i ja_JP -f UTF-8 "$LOCDIR/ja_JP.UTF-8" >/dev/null 2>&1 || true
  if [ ! -s "$LOCDIR/ja_JP.UTF-8/LC_CTYPE" ]; then
    echo "bootstrap: localedef did not produce $LOCDIR/ja_JP.UTF-8" >&2
    exit 1
  fi
fi
