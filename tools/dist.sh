#!/usr/bin/env bash
# Builds Kronvik's releases from the last commit into OUT (default build/dist):
#   kronvik-<version>-win64.zip   kronvik.exe, README.txt, LICENSE, THIRD-PARTY-NOTICES.txt
#   kronvik-<version>-setup.exe   the installer (installer/kronvik.nsi)
#   SHA256SUMS
# The same commit gives the same bytes, on any day and in any folder: the
# tree comes from git, the times from the commit (SOURCE_DATE_EPOCH), and
# the PE header has no time stamp. A clock-setting tool should be checkable
# against its source.
#
# Signing (both the exe and the installer, with osslsigncode): set SIGN_PFX and
# SIGN_PASS_FILE, and SIGN_TIMESTAMP_URL for an RFC 3161 time stamp.
#
# Usage: tools/dist.sh [OUT]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$root/build/dist}" && cd "${1:-$root/build/dist}" && pwd)"

if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "dist: uncommitted changes are not in the release; it is built from $(git -C "$root" rev-parse --short HEAD)" >&2
fi
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct HEAD)}"
export SOURCE_DATE_EPOCH

work="$out/.work"
rm -rf "$work"
mkdir -p "$work/src" "$work/stage"
trap 'rm -rf "$work"' EXIT
git -C "$root" archive --format=tar HEAD | tar -x -C "$work/src"

version="$(sed -n 's/^project(Kronvik VERSION \([0-9.]*\).*/\1/p' "$work/src/CMakeLists.txt")"
[ -n "$version" ] || { echo "dist: no version in CMakeLists.txt" >&2; exit 1; }
zip_name="kronvik-$version-win64.zip"
setup_name="kronvik-$version-setup.exe"

generator="Unix Makefiles"
command -v ninja >/dev/null 2>&1 && generator=Ninja
cmake -S "$work/src" -B "$work/build" -G "$generator" \
  -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DKRONVIK_TESTS=OFF >"$work/cmake.log" || { cat "$work/cmake.log" >&2; exit 1; }
cmake --build "$work/build" --target kronvik -j"${JOBS:-2}" >"$work/build.log" || { tail -40 "$work/build.log" >&2; exit 1; }

signing=()
if [ -n "${SIGN_PFX:-}" ]; then
  [ -f "$SIGN_PFX" ] && [ -f "${SIGN_PASS_FILE:-}" ] || {
    echo "dist: SIGN_PFX and SIGN_PASS_FILE must name existing files" >&2
    exit 1
  }
  signing=(-DSIGN="\"$work/src/tools/sign.sh\"")
fi

stage="$work/stage"
cp "$work/build/kronvik.exe" "$stage/"
[ ${#signing[@]} -eq 0 ] || "$work/src/tools/sign.sh" "$stage/kronvik.exe"
# Texts for Notepad: CRLF, and the Japanese guide as UTF-8 with a BOM.
crlf() { sed 's/$/\r/' "$1"; }
{ printf '\xef\xbb\xbf'; crlf "$work/src/installer/README.txt" | sed "s/@VERSION@/$version/g"; } >"$stage/README.txt"
crlf "$work/src/LICENSE" >"$stage/LICENSE"
crlf "$work/src/installer/THIRD-PARTY-NOTICES.txt" >"$stage/THIRD-PARTY-NOTICES.txt"
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

rm -f "$out/$zip_name" "$out/$setup_name" "$out/SHA256SUMS"
# zip keeps local times: in UTC they do not depend on the builder's zone.
(cd "$stage" && TZ=UTC zip -X -D -9 -q "$out/$zip_name" kronvik.exe README.txt LICENSE THIRD-PARTY-NOTICES.txt)
touch -d "@$SOURCE_DATE_EPOCH" "$out/$zip_name"

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
  -DICON="$work/src/resources/kronvik.ico" -DOUTFILE="$out/$setup_name" "${signing[@]}" \
  "$work/src/installer/kronvik.nsi" >"$work/nsis.log" || { cat "$work/nsis.log" >&2; exit 1; }
touch -d "@$SOURCE_DATE_EPOCH" "$out/$setup_name"

(cd "$out" && sha256sum "$zip_name" "$setup_name" >SHA256SUMS)
echo "dist: $out"
(cd "$out" && ls -l "$zip_name" "$setup_name" SHA256SUMS | awk '{ print "  " $5 "  " $9 }')
