# Sourced by the scripts: installs the Debian packages the project needs, once.
# Idempotent and quiet: nothing happens when everything is already there.

tarvo_packages=(
  cmake ninja-build g++ pkg-config ccache
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libcpp-httplib-dev libsqlite3-dev libssl-dev googletest libgtest-dev
  wine wine64 xvfb xauth imagemagick fonts-nanum locales openssl
  python3 python3-pytest python3-pytest-xdist python3-cryptography nsis osslsigncode clang libclang-rt-14-dev
  nlohmann-json3-dev
)

tarvo_missing_packages() {
  local p missing=()
  for p in "${tarvo_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

tarvo_install_deps() {
  local missing
  missing=$(tarvo_missing_packages)
  if [ -n "$missing" ]; then
    echo "installing Debian packages: $missing"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
  # Korean locale: gives Wine the ANSI code page 949 of a Korean Windows.
  if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo sed -i 's/^# *ko_KR.UTF-8 UTF-8/ko_KR.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  fi
}
