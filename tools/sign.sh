#!/usr/bin/env bash
# Signs one Windows program in place with osslsigncode (Authenticode, SHA-256),
# with the certificate in SIGN_PFX (PKCS#12) whose password is the first line
# of SIGN_PASS_FILE, and an RFC 3161 time stamp from SIGN_TIMESTAMP_URL when
# one is set. tools/dist.sh and the installer build call it.
#
# Usage: tools/sign.sh FILE
set -euo pipefail
file=$1
stamp=()
if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
  stamp=(-ts "$SIGN_TIMESTAMP_URL")
fi
osslsigncode sign -pkcs12 "$SIGN_PFX" -readpass "$SIGN_PASS_FILE" -h sha256 \
  -n Kronvik "${stamp[@]}" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
