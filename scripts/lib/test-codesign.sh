# Sourced by scripts/test: a throw-away code-signing certificate for the
# Authenticode signatures of the test builds, made once in build/codesign-test/.
# Not trusted by anything but the checks that are told of it.

tarvo_test_codesign_cert() {
  local dir="$1/build/codesign-test"
  if [ ! -f "$dir/cert.pem" ] || [ ! -f "$dir/key.pem" ]; then
    mkdir -p "$dir"
    (umask 077 && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 3650 \
      -subj "/CN=Tarvo test code signing (not trusted)" \
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
      -addext "basicConstraints=critical,CA:FALSE" \
      -keyout "$dir/key.pem" -out "$dir/cert.pem" 2>/dev/null)
    echo "made a throw-away code-signing certificate: $dir/cert.pem"
  fi
  export TARVO_CODESIGN_CERT="$dir/cert.pem" TARVO_CODESIGN_KEY="$dir/key.pem"
}
