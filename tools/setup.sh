#!/usr/bin/env bash
# Installs what building and testing Kestro needs on Debian 12: compilers, GoogleTest,
# Google Benchmark, clang with libFuzzer, MinGW-w64, Wine with its 32-bit part, Xvfb, Python 3,
# openssl and osslsigncode for the signing tests, ImageMagick for the spy's screenshots, and Node.js with npm for the editor
# extension's tests. Does nothing when all is present.
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive

# Each entry is "package command": a package counts as present when dpkg has it installed,
# or when its command (if one is named) exists, for tools installed some other way.
wanted=(
  "cmake cmake"
  "g++ g++"
  "make make"
  "libgtest-dev"
  "libbenchmark-dev"
  "clang clang++"
  "libclang-rt-14-dev"
  "g++-mingw-w64-i686 i686-w64-mingw32-g++"
  "binutils-mingw-w64-i686 i686-w64-mingw32-windres"
  "g++-mingw-w64-x86-64 x86_64-w64-mingw32-g++"
  "wine"
  "wine64"
  "wine32:i386"
  "xvfb Xvfb"
  "xauth xauth"
  "python3 python3"
  "openssl openssl"
  "osslsigncode osslsigncode"
  "imagemagick import"
  "nodejs node"
  "npm npm"
)

missing=()
for entry in "${wanted[@]}"; do
  read -r package command <<<"$entry"
  if [ -n "${command:-}" ] && command -v "$command" >/dev/null 2>&1; then continue; fi
  if dpkg -s "$package" 2>/dev/null | grep -q '^Status: install ok installed'; then continue; fi
  missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
sudo=
if [ "$(id -u)" != 0 ]; then sudo=sudo; fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
