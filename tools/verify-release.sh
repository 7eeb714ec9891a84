#!/usr/bin/env bash
# Checks a published release against its source. DIR holds the release as
# downloaded (the zip, the installer, the build information, the detached
# signatures when it is signed, the winget manifests and SHA256SUMS, in the
# layout of tools/dist.sh). The release is built again from this checkout,
# which must be the release's commit, with the release's SOURCE_DATE_EPOCH
# and its signatures attached in place of new ones; then every published
# file must be the same bytes as the rebuilt one.
#
# Debian packages other than those in the build information may give other
# bytes: where they differ they are listed.
#
# Usage: tools/verify-release.sh DIR [WORK]   (WORK keeps the rebuild; a temporary folder by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$(cd "$1" && pwd)"
if [ -n "${2:-}" ]; then
  work="$(mkdir -p "$2" && cd "$2" && pwd)"
else
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
fi

info=("$dir"/kronvik-*-buildinfo.txt)
[ ${#info[@]} = 1 ] && [ -f "${info[0]}" ] || { echo "verify: $dir holds no single kronvik-*-buildinfo.txt" >&2; exit 2; }
field() { sed -n "s/^$1: //p" "${info[0]}"; }
commit="$(field Commit)"
if [ "$commit" != "$(git -C "$root" rev-parse HEAD)" ]; then
  echo "verify: the release was built from $commit; check that out first (git checkout $commit)" >&2
  exit 2
fi

# The files are whole, and none is left out of SHA256SUMS.
(cd "$dir" && sha256sum --quiet --strict -c SHA256SUMS) || { echo "verify: files differ from SHA256SUMS" >&2; exit 1; }
unlisted="$(cd "$dir" && comm -23 <(find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort) \
                                  <(awk '{ print $2 }' SHA256SUMS | LC_ALL=C sort))"
[ -z "$unlisted" ] || { printf 'verify: not in SHA256SUMS:\n%s\n' "$unlisted" >&2; exit 1; }

# The installer's address as the winget manifests give it.
url="$(sed -n 's|^ *InstallerUrl: \(.*\)/[^/]*$|\1|p' "$dir"/winget/manifests/*/*/*/*/*.installer.yaml | head -1)"

echo "verify: building ${commit:0:7} again, SOURCE_DATE_EPOCH $(field SOURCE_DATE_EPOCH)"
SOURCE_DATE_EPOCH="$(field SOURCE_DATE_EPOCH)" SIGNATURES_FROM="$dir" RELEASE_URL="$url" \
  SIGN_PFX="" "$root/tools/dist.sh" "$work" >/dev/null

fail=0
while read -r _ file; do
  # The build information names this machine's packages: shown below.
  case "$file" in *-buildinfo.txt) continue ;; esac
  if cmp -s "$dir/$file" "$work/$file"; then
    echo "  same     $file"
  else
    echo "  DIFFERS  $file"
    fail=1
  fi
done <"$dir/SHA256SUMS"

packages="$(diff <(sed -n '/^Packages:/,$p' "${info[0]}") <(sed -n '/^Packages:/,$p' "$work"/kronvik-*-buildinfo.txt) |
            sed -n 's/^</  release:/p; s/^>/  here:   /p')" || true
[ -z "$packages" ] || printf "verify: these packages differ from the release's:\n%s\n" "$packages"
if [ $fail = 0 ]; then
  signatures=""
  if compgen -G "$dir/*.sig" >/dev/null; then signatures=", with the published signatures"; fi
  echo "verify: every published file is what this commit builds$signatures"
else
  echo "verify: the release is not what this commit builds" >&2
fi
exit $fail
