#!/usr/bin/env bash
# make dist unsigned, then signed with a throwaway self-signed certificate
# under a git that would turn line ends into CRLF. The signed release is
# then checked as a user would with tools/verify-release.sh, which builds it
# a third time in another folder: every file must come out the same bytes.
# That check is run on a copy whose installer was swapped for the unsigned
# one, so it must tell the swapped file apart from the genuine rest.
#
# Usage: tests/dist/reproducible.sh WORKDIR   (WORKDIR/a keeps the unsigned release)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$1"
rm -rf "$work/a" "$work/signed" "$work/swapped" "$work/rebuilt" "$work/key"
mkdir -p "$work/key"

"$root/tools/dist.sh" "$work/a"
fail=0
zip=$(ls "$work"/a/kronvik-*-win64.zip)
setup=$(ls "$work"/a/kronvik-*-setup.exe)
[ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "kronvik.exe README.txt LICENSE THIRD-PARTY-NOTICES.txt " ] || {
  echo "zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"; fail=1; }
[ "$(unzip -p "$zip" README.txt | head -c3 | xxd -p)" = efbbbf ] || { echo "README.txt has no BOM"; fail=1; }
python3 "$root/tests/dist/winget_check.py" "$(dirname "$(ls "$work"/a/winget/manifests/*/*/*/*/*.installer.yaml)")" "$setup" || fail=1

key="$work/key"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kronvik test" \
  -keyout "$key/key.pem" -out "$key/cert.pem" 2>/dev/null
echo "throwaway" >"$key/pass"
openssl pkcs12 -export -inkey "$key/key.pem" -in "$key/cert.pem" -passout file:"$key/pass" -out "$key/test.pfx"
GIT_CONFIG_COUNT=1 GIT_CONFIG_KEY_0=core.autocrlf GIT_CONFIG_VALUE_0=true \
  SIGN_PFX="$key/test.pfx" SIGN_PASS_FILE="$key/pass" SIGN_TIMESTAMP_URL="" \
  RELEASE_URL=https://downloads.example/kronvik "$root/tools/dist.sh" "$work/signed"
unzip -p "$work"/signed/kronvik-*-win64.zip kronvik.exe >"$key/kronvik.exe"
for f in "$key/kronvik.exe" "$work"/signed/kronvik-*-setup.exe; do
  osslsigncode verify -CAfile "$key/cert.pem" -in "$f" >"$key/verify.log" 2>&1 || {
    echo "not signed: $f"; cat "$key/verify.log"; fail=1; }
done
# Stripped of its signature, the signed exe is the unsigned one again.
osslsigncode remove-signature -in "$key/kronvik.exe" -out "$key/stripped.exe" >/dev/null
cmp "$key/stripped.exe" <(unzip -p "$zip" kronvik.exe) || fail=1

cp -r "$work/signed" "$work/swapped"
cp "$setup" "$work/swapped/"
(cd "$work/swapped" && awk '{ print $2 }' SHA256SUMS | xargs sha256sum >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)
if "$root/tools/verify-release.sh" "$work/swapped" "$work/rebuilt" | tee "$key/verify-release.log"; then
  echo "verify-release passed a swapped installer"; fail=1
fi
[ "$(grep -c '^  same ' "$key/verify-release.log")" = $(($(wc -l <"$work/signed/SHA256SUMS") - 2)) ] &&
  grep -q "^  DIFFERS  $(basename "$setup")" "$key/verify-release.log" &&
  cmp "$work"/signed/kronvik-*-setup.exe "$work"/rebuilt/kronvik-*-setup.exe || fail=1
[ $fail = 0 ] && echo "reproducible: a signed release is built again from its commit and signatures, byte for byte"
exit $fail
