# Shared by tools/test and tools/run: installs what is missing and configures
# and builds the tree. Source it; it defines ROOT and BUILD_DIR.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

ensure_packages() {
  local missing=()
  command -v i686-w64-mingw32-g++ >/dev/null || missing+=(g++-mingw-w64-i686)
  command -v widl >/dev/null || command -v i686-w64-mingw32-widl >/dev/null || missing+=(mingw-w64-tools)
  command -v cmake >/dev/null || missing+=(cmake)
  command -v wine >/dev/null || missing+=(wine)
  [ -e /usr/lib/wine/i386-windows/kernel32.dll ] || [ -e /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] || missing+=(wine32)
  [ -d /usr/src/googletest/googletest ] || missing+=(libgtest-dev)
  command -v Xvfb >/dev/null || missing+=(xvfb)
  command -v xwd >/dev/null || missing+=(x11-apps)
  command -v convert >/dev/null || missing+=(imagemagick)
  command -v flock >/dev/null || missing+=(util-linux)
  [ -e /usr/share/wine/fonts/tahoma.ttf ] || missing+=(fonts-wine)
  command -v clang >/dev/null || missing+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || missing+=(libclang-rt-dev)
  command -v makensis >/dev/null || missing+=(nsis)
  command -v zip >/dev/null || missing+=(zip)
  # The IPP tests' private CUPS server (cupsd, lpadmin, ipptool).
  [ -x /usr/sbin/cupsd ] || missing+=(cups-daemon)
  [ -x /usr/sbin/lpadmin ] || missing+=(cups-client)
  command -v ipptool >/dev/null || missing+=(cups-ipp-utils)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [[ " ${missing[*]} " == *" wine32 "* ]]; then as_root dpkg --add-architecture i386; fi
    as_root apt-get update -qq
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

configure_and_build() {
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$BUILD_DIR" -j"$(nproc)"
}

export WINEPREFIX="$BUILD_DIR/wine"
export WINEARCH=win32
export WINEDEBUG=-all
