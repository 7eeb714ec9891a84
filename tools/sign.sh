#!/usr/bin/env bash
# Gives one Windows program its Authenticode signature, in place:
#   with SIGN_PFX  a new one (SHA-256, osslsigncode), with the certificate in
#                  SIGN_PFX (PKCS#12) whose password is the first line of
#                  SIGN_PASS_FILE and an RFC 3161 time stamp from
#                  SIGN_TIMESTAMP_URL when one is set; the detached signature
#                  is kept as KV_SIGNATURES/NAME.sig;
#   without        the detached signature KV_SIGNATURES/NAME.sig of a
#                  published release, attached to the program rebuilt unsigned.
# NAME is kronvik.exe, setup.exe or uninstall.exe: the installer build hands
# over the installer under its own name and the uninstaller under a
# temporary one. tools/dist.sh and the installer build call it.
#
# Usage: tools/sign.sh FILE
set -euo pipefail
file=$1
case "$file" in
  *-setup.exe) name=setup.exe ;;
  */kronvik.exe) name=kronvik.exe ;;
  *) name=uninstall.exe ;;
esac
sig="$KV_SIGNATURES/$name.sig"
rm -f "$file.signed"
if [ -n "${SIGN_PFX:-}" ]; then
  stamp=()
  if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
    stamp=(-ts "$SIGN_TIMESTAMP_URL")
  fi
  osslsigncode sign -pkcs12 "$SIGN_PFX" -readpass "$SIGN_PASS_FILE" -h sha256 \
    -n Kronvik "${stamp[@]}" -in "$file" -out "$file.signed" >/dev/null
  rm -f "$sig"
  osslsigncode extract-signature -in "$file.signed" -out "$sig" >/dev/null
else
  # osslsigncode also checks the certificate chain against this machine's
  # authorities and fails when it cannot, but writes the file all the same.
  # The question here is another one: the caller compares the result with
  # the published file byte for byte.
  [ -f "$sig" ] || { echo "sign: no signature $sig" >&2; exit 1; }
  log="$(osslsigncode attach-signature -sigin "$sig" -in "$file" -out "$file.signed" 2>&1)" || true
  [ -s "$file.signed" ] || { echo "$log" >&2; exit 1; }
fi
mv "$file.signed" "$file"
