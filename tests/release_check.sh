#!/usr/bin/env bash
# The release programs carry no test hook: no server override variable, no
# simulated remote access, no test tools beside them.
set -euo pipefail
bin=${1:?usage: release_check.sh <bin folder>}
status=0
for name in Tarvo.exe Tarvo_Network.exe; do
  [ -f "$bin/$name" ] || { echo "missing $bin/$name"; status=1; continue; }
done
for exe in "$bin"/*.exe; do
  for needle in TARVO_SERVER_BASE_URL TARVO_SIM TARVO_UPDATE_TRACE Simulated; do
    if { strings -a "$exe"; strings -a -el "$exe"; } | grep -q "$needle"; then
      echo "$exe contains '$needle'"; status=1
    fi
  done
done
if ls "$bin" | grep -qiE 'driver|probe|rasdial'; then echo "test tools in $bin"; status=1; fi
[ $status -ne 0 ] || echo "release programs carry no test hook"
# Which key the client trusts: a build that is not a publishing one says so
# in its version resource, and must not be shipped.
if [ -f "$bin/Tarvo.exe" ]; then
  if strings -a -el "$bin/Tarvo.exe" | grep -q '^PrivateBuild$'; then
    echo "private build: $(strings -a -el "$bin/Tarvo.exe" | grep -A1 '^PrivateBuild$' | tail -1)"
  else
    echo "publishing build: the client trusts the publisher's key"
  fi
fi
exit $status
