#!/usr/bin/env bash
# Both programs and the installer of each folder carry an Authenticode
# signature that verifies against the given certificate.
set -euo pipefail
cert=${1:?usage: authenticode_check.sh <certificate> <bin folder>...}
shift
status=0
for bin in "$@"; do
  [ -n "$bin" ] || continue
  for name in Tarvo.exe Tarvo_Network.exe Tarvo_setup.exe; do
    if [ ! -f "$bin/$name" ]; then
      echo "missing $bin/$name"; status=1
    elif ! out=$(osslsigncode verify -CAfile "$cert" -in "$bin/$name" 2>&1); then
      echo "$bin/$name: no valid signature"; echo "$out" | tail -5; status=1
    else
      echo "$bin/$name: signature verified"
    fi
  done
done
exit $status
