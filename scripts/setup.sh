#!/bin/bash
# Installs what building and testing need (only what is missing), then
# configures and builds. Runs as root on a fresh Debian bookworm machine, with
# no input; running it again changes nothing but an out-of-date build.
#   BUILD_DIR  the build folder, default build/ at the top of the checkout
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}

packages=(cmake g++-mingw-w64-i686 wine wine64 wine32:i386 xvfb googletest
          fonts-wine fonts-vlgothic fonts-wqy-microhei x11-apps imagemagick xdotool
          libz-mingw-w64-dev osslsigncode openssl zip)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done

if ((${#missing[@]})); then
  if ((EUID != 0)); then
    echo "setup.sh: run as root to install: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  update=false
  # Wine's 32-bit half comes from the i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    update=true
  fi
  for package in "${missing[@]}"; do
    apt-cache show "$package" >/dev/null 2>&1 || update=true
  done
  if $update; then
    apt-get update -q </dev/null
  fi
  apt-get install -y -q "${missing[@]}" </dev/null
fi

cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
cmake --build "$BUILD_DIR" -j2
