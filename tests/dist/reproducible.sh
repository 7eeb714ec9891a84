#!/usr/bin/env bash
# make dist twice, in two folders: the exe, the zip and the installer must be
# the same bytes. Then once more signed with a throwaway self-signed
# certificate: the exe and the installer must carry a valid signature.
#
# Usage: tests/dist/reproducible.sh WORKDIR   (WORKDIR/a keeps the unsigned release)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$1"
rm -rf "$work/a" "$work/b" "$work/signed" "$work/key"
mkdir -p "$work/key"

"$root/tools/dist.sh" "$work/a"
"$root/tools/dist.sh" "$work/b"
fail=0
for f in kronvik-*-win64.zip kronvik-*-setup.exe SHA256SUMS; do
  a=$(cd "$work/a" && ls $f)
  cmp "$work/a/$a" "$work/b/$a" || fail=1
done
zip=$(ls "$work"/a/kronvik-*-win64.zip)
cmp <(unzip -p "$zip" kronvik.exe) <(unzip -p "${zip/\/a\//\/b\/}" kronvik.exe) || fail=1
[ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "kronvik.exe README.txt LICENSE THIRD-PARTY-NOTICES.txt " ] || {
  echo "zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"; fail=1; }
[ "$(unzip -p "$zip" README.txt | head -c3 | xxd -p)" = efbbbf ] || { echo "README.txt has no BOM"; fail=1; }
[ $fail = 0 ] && echo "reproducible: two builds are the same bytes"

key="$work/key"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kronvik test" \
  -keyout "$key/key.pem" -out "$key/cert.pem" 2>/dev/null
echo "throwaway" >"$key/pass"
openssl pkcs12 -export -inkey "$key/key.pem" -in "$key/cert.pem" -passout file:"$key/pass" -out "$key/test.pfx"
SIGN_PFX="$key/test.pfx" SIGN_PASS_FILE="$key/pass" SIGN_TIMESTAMP_URL="" "$root/tools/dist.sh" "$work/signed"
unzip -p "$work"/signed/kronvik-*-win64.zip kronvik.exe >"$key/kronvik.exe"
for f in "$key/kronvik.exe" "$work"/signed/kronvik-*-setup.exe; do
  osslsigncode verify -CAfile "$key/cert.pem" -in "$f" >"$key/verify.log" 2>&1 || {
    echo "not signed: $f"; cat "$key/verify.log"; fail=1; }
done
# Stripped of its signature, the signed exe is the unsigned one again.
osslsigncode remove-signature -in "$key/kronvik.exe" -out "$key/stripped.exe" >/dev/null
cmp "$key/stripped.exe" <(unzip -p "$zip" kronvik.exe) || fail=1
[ $fail = 0 ] && echo "signed: the exe and the installer verify; unsigned again, the exe is the same bytes"
exit $fail
