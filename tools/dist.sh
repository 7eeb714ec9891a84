#!/usr/bin/env bash
# Builds Kronvik's release from the last commit into OUT (default build/dist):
#   kronvik-<version>-win64.zip        kronvik.exe, README.txt, LICENSE, THIRD-PARTY-NOTICES.txt
#   kronvik-<version>-setup.exe        the installer (installer/kronvik.nsi)
#   kronvik-<version>-buildinfo.txt    the commit, SOURCE_DATE_EPOCH and the Debian packages that built it
#   kronvik-<version>-*.sig            when signed: the detached signatures of
#                                      kronvik.exe, the uninstaller and the installer
#   winget/manifests/...               the winget manifests of the installer
#   SHA256SUMS                         all of the above
# The same commit gives the same bytes, on any day and in any folder: the
# tree comes from git byte for byte, the times from the commit
# (SOURCE_DATE_EPOCH), and the PE header has no time stamp. A clock-setting
# tool should be checkable against its source (tools/verify-release.sh).
#
# Signing (the exe, the uninstaller and the installer, with osslsigncode): set
# SIGN_PFX and SIGN_PASS_FILE, and SIGN_TIMESTAMP_URL for an RFC 3161 time
# stamp. SIGNATURES_FROM=DIR instead attaches the detached signatures of the
# release in DIR, which then gives that release's bytes again.
# RELEASE_URL: where the release's files are downloaded from, for winget.
#
# Usage: tools/dist.sh [OUT]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$root/build/dist}" && cd "${1:-$root/build/dist}" && pwd)"

commit="$(git -C "$root" rev-parse HEAD)"
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "dist: uncommitted changes are not in the release; it is built from ${commit:0:7}" >&2
fi
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct HEAD)}"
export SOURCE_DATE_EPOCH

work="$out/.work"
rm -rf "$work"
mkdir -p "$work/src" "$work/stage" "$work/signatures"
trap 'rm -rf "$work"' EXIT
git -C "$root" archive --format=tar "$commit" | tar -x -C "$work/src"
# Git attributes or filters of the builder's own could still change what
# the archive holds: every file must be the commit's.
if ! cmp -s <(git -C "$root" ls-tree -r --format='%(objectname)' "$commit") \
            <(git -C "$root" ls-tree -r --format='%(path)' "$commit" |
              (cd "$work/src" && git hash-object --no-filters --stdin-paths)); then
  echo "dist: the exported tree differs from commit ${commit:0:7}; check the git attributes and filters" >&2
  exit 1
fi

version="$(sed -n 's/^project(Kronvik VERSION \([0-9.]*\).*/\1/p' "$work/src/CMakeLists.txt")"
[ -n "$version" ] || { echo "dist: no version in CMakeLists.txt" >&2; exit 1; }
name="kronvik-$version"
publisher="$(sed -n 's/.*VALUE "CompanyName", "\(.*\)".*/\1/p' "$work/src/resources/kronvik.rc")"
release_url="${RELEASE_URL:-https://kronvik.example/releases/$version}"
[ -n "${RELEASE_URL:-}" ] ||
  echo "dist: the winget manifests point at the placeholder $release_url; give RELEASE_URL" >&2

generator="Unix Makefiles" builder=make
command -v ninja >/dev/null 2>&1 && generator=Ninja builder=ninja-build
cmake -S "$work/src" -B "$work/build" -G "$generator" \
  -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DKRONVIK_TESTS=OFF >"$work/cmake.log" || { cat "$work/cmake.log" >&2; exit 1; }
cmake --build "$work/build" --target kronvik -j"${JOBS:-2}" >"$work/build.log" || { tail -40 "$work/build.log" >&2; exit 1; }

# tools/sign.sh signs into, or attaches from, this folder.
export KV_SIGNATURES="$work/signatures"
signed=0
if [ -n "${SIGN_PFX:-}" ]; then
  [ -f "$SIGN_PFX" ] && [ -f "${SIGN_PASS_FILE:-}" ] || {
    echo "dist: SIGN_PFX and SIGN_PASS_FILE must name existing files" >&2
    exit 1
  }
  signed=1
elif [ -n "${SIGNATURES_FROM:-}" ]; then
  for part in kronvik.exe uninstall.exe setup.exe; do
    if [ -f "$SIGNATURES_FROM/$name-$part.sig" ]; then
      cp "$SIGNATURES_FROM/$name-$part.sig" "$KV_SIGNATURES/$part.sig"
      signed=1
    fi
  done
fi
signing=()
[ $signed = 0 ] || signing=(-DSIGN="\"$work/src/tools/sign.sh\"")

rm -rf "$out/winget"
rm -f "$out/$name"-* "$out/SHA256SUMS"

stage="$work/stage"
cp "$work/build/kronvik.exe" "$stage/"
[ $signed = 0 ] || "$work/src/tools/sign.sh" "$stage/kronvik.exe"
# Texts for Notepad: CRLF, and the Japanese guide as UTF-8 with a BOM.
crlf() { sed 's/$/\r/' "$1"; }
{ printf '\xef\xbb\xbf'; crlf "$work/src/installer/README.txt" | sed "s/@VERSION@/$version/g"; } >"$stage/README.txt"
crlf "$work/src/LICENSE" >"$stage/LICENSE"
crlf "$work/src/installer/THIRD-PARTY-NOTICES.txt" >"$stage/THIRD-PARTY-NOTICES.txt"
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

# zip keeps local times: in UTC they do not depend on the builder's zone.
(cd "$stage" && TZ=UTC zip -X -D -9 -q "$out/$name-win64.zip" kronvik.exe README.txt LICENSE THIRD-PARTY-NOTICES.txt)

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
  -DICON="$work/src/resources/kronvik.ico" -DOUTFILE="$out/$name-setup.exe" "${signing[@]}" \
  "$work/src/installer/kronvik.nsi" >"$work/nsis.log" || { cat "$work/nsis.log" >&2; exit 1; }

if [ $signed = 1 ]; then
  for part in kronvik.exe uninstall.exe setup.exe; do
    cp "$KV_SIGNATURES/$part.sig" "$out/$name-$part.sig"
  done
fi

# What built it: Debian's packages of the compiler, the Windows headers and
# libraries, the build and packing tools, and everything they depend on.
tools=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
       mingw-w64-x86-64-dev cmake "$builder" nsis zip git osslsigncode)
apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances "${tools[@]}" 2>/dev/null | grep -v '^[ <]' >"$work/packages"
{
  printf 'Release: %s\nCommit: %s\nSOURCE_DATE_EPOCH: %s\nPackages:\n' "$name" "$commit" "$SOURCE_DATE_EPOCH"
  # An alternative that is not installed can still be named above; Wine's
  # 32-bit libraries are not the build's.
  dpkg-query -W -f='${db:Status-Status} ${Package} ${binary:Package} ${Version} ${Architecture}\n' |
    awk -v arch="$(dpkg --print-architecture)" 'NR == FNR { wanted[$1]; next }
      $1 == "installed" && $2 in wanted && ($5 == arch || $5 == "all") { print " " $3 " " $4 }' "$work/packages" - |
    LC_ALL=C sort
} >"$out/$name-buildinfo.txt"

"$work/src/tools/winget.sh" "$out" "$version" "$out/$name-setup.exe" "$release_url" "$publisher"

touch -d "@$SOURCE_DATE_EPOCH" "$out/$name"-*
(cd "$out" && { ls "$name"-*; find winget -type f; } | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
echo "dist: $out"
(cd "$out" && ls -l "$name"-* SHA256SUMS | awk '{ print "  " $5 "  " $9 }')
