#!/bin/sh
# Installs whatever quillo needs that is missing; safe to run again.
#   scripts/install-deps.sh          build and test (the MCP tests' client libraries too, from
#                                    tests/mcp/package-lock.json with npm ci)
#   scripts/install-deps.sh fuzz     also the fuzzing compiler and runtime
#   scripts/install-deps.sh bench    also the benchmark tools
#   scripts/install-deps.sh libcxx   also clang with libc++, and GoogleTest's sources to build
#                                    against it (Debian's GoogleTest library is for libstdc++)
#   scripts/install-deps.sh arm64    also the aarch64 cross compiler, libuuid for arm64 and qemu
#                                    to run what it builds (Debian only)
set -eu

# Foreign architectures that dpkg must know before apt-get can install their packages.
architectures=""
# The shells and groff are for the tests of the generated completions and manual page.
debian_packages="cmake make g++ nlohmann-json3-dev uuid-dev libutfcpp-dev libgtest-dev
  bash zsh fish groff-base"
brew_packages="cmake nlohmann-json utf8cpp googletest fish groff node"
for extra in "$@"; do
  case "$extra" in
    fuzz) debian_packages="$debian_packages clang libclang-rt-dev" ;;
    libcxx) debian_packages="$debian_packages clang libc++-dev libc++abi-dev googletest" ;;
    bench) debian_packages="$debian_packages hyperfine socat jq python3 gcc valgrind time linux-perf"
           brew_packages="$brew_packages hyperfine socat jq" ;;
    # libuuid is the one library quillo links, so it is the one that comes for arm64, through
    # multiarch; nlohmann-json and utfcpp are headers, the same for every architecture.
    arm64) debian_packages="$debian_packages g++-aarch64-linux-gnu uuid-dev:arm64 qemu-user-static"
           architectures="$architectures arm64" ;;
    *) echo "install-deps: unknown extra '$extra'" >&2; exit 2 ;;
  esac
done

# The exact versions of the lockfile, installed again only when it changed.
install_node_packages() {
  dir="$(dirname "$0")/../tests/mcp"
  cmp -s "$dir/package-lock.json" "$dir/node_modules/.installed-lock" 2>/dev/null && return 0
  echo "install-deps: npm ci in tests/mcp"
  (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error </dev/null)
  cp "$dir/package-lock.json" "$dir/node_modules/.installed-lock"
}

if [ "$(uname -s)" = Darwin ]; then
  if [ -n "$architectures" ]; then
    echo "install-deps: the arm64 cross build uses Debian's cross compiler; on Apple silicon the" \
      "ordinary build is already arm64" >&2
    exit 2
  fi
  missing=""
  for package in $brew_packages; do
    brew list --versions "$package" >/dev/null 2>&1 || missing="$missing $package"
  done
  if [ -n "$missing" ]; then
    if command -v brew >/dev/null 2>&1; then
      brew install $missing
    else
      echo "install-deps: please install Homebrew, then run: brew install$missing" >&2
      exit 1
    fi
  fi
  install_node_packages
  exit 0
fi

# Node.js runs the MCP tests' client libraries; one installed otherwise (20 or later) is kept.
command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || debian_packages="$debian_packages nodejs npm"

missing=""
for package in $debian_packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $package"
done

if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "install-deps: installing$missing"
  for architecture in $architectures; do
    dpkg --print-foreign-architectures | grep -qx "$architecture" ||
      $sudo dpkg --add-architecture "$architecture"
  done
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi
install_node_packages
