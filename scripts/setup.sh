#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12 (run as root).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev    # native build, sanitizers, libFuzzer
  googletest libbenchmark-dev                       # GoogleTest sources, Google Benchmark
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64   # the Windows cross build
  lld                                               # its second compiler: clang (above) links with lld
  wine wine64 fonts-wine xvfb xdotool x11-utils     # Windows under Wine with its own fonts (MS Sans Serif, Tahoma)
  imagemagick                                      # screenshots
  python3 zip file locales
  librsvg2-bin fonts-dejavu-core                    # regenerating the artwork (quillbar/art/make-art.sh)
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
# A Greek locale: under it Wine's ANSI code page is 1253 (tests/e2e/pathmend_greek.sh).
locale -a | grep -qx el_GR.utf8 || localedef -i el_GR -f UTF-8 el_GR.UTF-8
# A Japanese one: code page 932, two bytes to a letter (tests/e2e/pathmend_japanese.sh).
locale -a | grep -qx ja_JP.utf8 || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
