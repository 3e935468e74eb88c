# Shared by tools/test, tools/run, tools/screenshots, tools/package and
# bench/run: installs what is missing, gives Wine a UTF-8 locale, configures
# and builds the tree. Source it; it defines ROOT and BUILD_DIR.
#
#   ensure_packages build|test|run|package ...   install what those need
#   configure_and_build                          configure (healing a failed or
#                                                interrupted configure) and build
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

say() { echo "setup: $*" >&2; }
die() { echo "setup: $*" >&2; exit 1; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    die "installing needs root: run as root, or install sudo"
  fi
}

# --- What is needed, and how to tell it is there ---------------------------
# One "package|check|why" line each; the check is a shell command (no "|" in
# it: write a function) that succeeds when what the build uses is there.
fuzzer_runtime_works() {
  local out
  out="$(mktemp -d)" || return 1
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$out/f.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$out/f.cpp" -o "$out/f" >/dev/null 2>&1
  local rc=$?
  rm -rf "$out"
  return $rc
}
wine32_present() {
  local d
  for d in /usr/lib/wine/i386-windows /usr/lib/i386-linux-gnu/wine/i386-windows; do
    [ -e "$d/kernel32.dll" ] && return 0
  done
  return 1
}
# (A machine may have a stand-in called convert; the build needs ImageMagick's.)
imagemagick_present() { convert -version 2>/dev/null | grep -q '^Version: ImageMagick'; }
llvm_cov_present() { command -v llvm-cov || compgen -G '/usr/bin/llvm-cov-*'; }

NEEDS_build=(
  "make|command -v make|the build program CMake generates for"
  "cmake|command -v cmake|configures the build"
  "g++-mingw-w64-i686-posix|command -v i686-w64-mingw32-g++-posix && command -v i686-w64-mingw32-gcc-posix|the 32-bit Windows cross compiler (posix threads, as cmake/mingw-i686.cmake names it)"
  "binutils-mingw-w64-i686|command -v i686-w64-mingw32-windres|compiles the .rc resource scripts"
  "libgtest-dev|[ -f /usr/src/googletest/googletest/CMakeLists.txt ]|GoogleTest sources, cross-built with the tests"
  "nsis|command -v makensis|builds the installer (tests install and uninstall it)"
  "wine|command -v wine && command -v wineserver|runs the Windows programs"
  "wine32|wine32_present|32-bit Windows support for Wine"
  "fonts-wine|[ -e /usr/share/wine/fonts/tahoma.ttf ]|Tahoma and Marlett for the dialogs"
  "util-linux|command -v flock|serialises making a Wine prefix"
)
NEEDS_test=(
  "clang|command -v clang++|builds the native fuzzers"
  "libclang-rt-dev|fuzzer_runtime_works|libFuzzer and the sanitizer runtimes"
  "llvm|llvm_cov_present|the fuzzers' coverage summary"
  "cups-daemon|[ -x /usr/sbin/cupsd ]|the IPP tests' private CUPS server"
  "cups-client|[ -x /usr/sbin/lpadmin ] && command -v lp|makes the test server's queues"
  "cups-ipp-utils|command -v ipptool|checks the test server's answers"
  "qpdf|command -v qpdf|checks the structure of the generated PDFs"
  "poppler-utils|command -v pdftotext && command -v pdfinfo|reads the generated PDFs' text and page count"
  "libcups2-dev|[ -f /usr/include/cups/raster.h ]|CUPS's own raster reader checks the generated PWG raster"
)
NEEDS_run=(
  "xvfb|command -v Xvfb|a virtual display when there is none"
  "x11-apps|command -v xwd|takes screenshots"
  "imagemagick|imagemagick_present|turns screenshots into PNG and crops them"
)
NEEDS_package=(
  "zip|command -v zip|the portable zip"
)

# The lines of the named groups, one a line.
needs_of() {
  local group
  for group in "$@"; do
    declare -p "NEEDS_$group" >/dev/null 2>&1 || die "no such group of needs: $group"
    eval 'printf "%s\n" "${NEEDS_'"$group"'[@]}"'
  done
}

# ensure_packages GROUP...: installs the packages of those groups whose check
# fails, then checks again, so that a check that cannot be satisfied says so
# instead of installing (and updating apt's lists) on every run.
ensure_packages() {
  local groups=("$@") pkg check why missing=() reasons=()
  [ ${#groups[@]} -gt 0 ] || groups=(build test run package)
  while IFS='|' read -r pkg check why; do
    if ! eval "$check" >/dev/null 2>&1 && [[ " ${missing[*]} " != *" $pkg "* ]]; then
      missing+=("$pkg")
      reasons+=("  $pkg: $why")
    fi
  done < <(needs_of "${groups[@]}")
  [ ${#missing[@]} -eq 0 ] && return 0

  say "installing ${#missing[@]} package(s) from the distribution's archive:"
  printf '%s\n' "${reasons[@]}" >&2
  local log
  log="$(mktemp)"
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]} " == *" wine32 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture (wine32 is a 32-bit package)"
    as_root dpkg --add-architecture i386 || die "dpkg --add-architecture i386 failed"
  fi
  if ! as_root apt-get update >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    die "apt-get update failed (is the package archive reachable? full output: $log)"
  fi
  if ! as_root apt-get install -y --no-install-recommends "${missing[@]}" >>"$log" 2>&1; then
    grep -E '^(E:|W:)|Unable to|has no installation candidate|Depends:' "$log" | tail -n 20 >&2
    die "apt-get install ${missing[*]} failed (full output: $log)"
  fi
  rm -f "$log"

  # What the build uses must now be there.
  local still=()
  while IFS='|' read -r pkg check why; do
    eval "$check" >/dev/null 2>&1 || still+=("$pkg ($why)")
  done < <(needs_of "${groups[@]}")
  if [ ${#still[@]} -gt 0 ]; then
    printf '  %s\n' "${still[@]}" >&2
    die "installed, but still missing the above: this distribution may name or lay them out differently"
  fi
  say "installed: ${missing[*]}"
}

# --- Locale ------------------------------------------------------------------
# Wine keeps file names in the host's character set. Without a UTF-8 locale a
# German name such as the Start menu shortcut's cannot be stored, so Wine gets
# C.UTF-8 (on every Debian and Ubuntu) when the host has no UTF-8 locale.
ensure_utf8_locale() {
  local charmap
  charmap="$(locale charmap 2>/dev/null || true)"
  if [ "$charmap" != "UTF-8" ]; then
    export LC_ALL=C.UTF-8
    unset LANGUAGE
    [ "$(locale charmap 2>/dev/null || true)" = "UTF-8" ] ||
      say "warning: C.UTF-8 is not available here; non-ASCII file names may be lost under Wine"
  fi
}

# --- Build tree --------------------------------------------------------------
# A build tree made by another user (say, an earlier run as root) cannot be
# written, and Wine refuses a prefix that belongs to someone else: this user
# then builds in a tree of its own.
choose_build_dir() {
  if [ -e "$BUILD_DIR" ] && [ ! -w "$BUILD_DIR" ]; then
    local own="$ROOT/build-$(id -un)"
    say "$BUILD_DIR belongs to $(stat -c %U "$BUILD_DIR") and cannot be written by $(id -un);"
    say "building in $own instead (delete $BUILD_DIR as its owner to go back to it)"
    BUILD_DIR="$own"
  fi
}

# Configures when the tree was never configured to the end (the stamp is
# written only after a configure succeeded), dropping what a failed or
# interrupted configure left behind, then builds.
configure_and_build() {
  local stamp="$BUILD_DIR/.configured"
  if [ ! -f "$stamp" ] || [ ! -f "$BUILD_DIR/CMakeCache.txt" ] || [ ! -f "$BUILD_DIR/Makefile" ]; then
    rm -rf "$BUILD_DIR/CMakeCache.txt" "$BUILD_DIR/CMakeFiles" "$stamp"
    mkdir -p "$BUILD_DIR"
    say "configuring $BUILD_DIR"
    local log="$BUILD_DIR/configure.log"
    if ! cmake -S "$ROOT" -B "$BUILD_DIR" -G "Unix Makefiles" \
          -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1; then
      tail -n 30 "$log" >&2
      die "configuring failed (full output: $log); the next run configures afresh"
    fi
    touch "$stamp"
  fi
  cmake --build "$BUILD_DIR" -j"$(nproc)"
}

# The Wine prefix at $1, or this user's own beside it when $1 belongs to
# another user (Wine refuses such a prefix; wine-run says so when it makes it).
user_prefix() {
  if [ -e "$1" ] && [ ! -O "$1" ]; then echo "$1-$(id -un)"; else echo "$1"; fi
}

choose_build_dir
ensure_utf8_locale
export WINEPREFIX="$(user_prefix "$BUILD_DIR/wine")"
export WINEARCH=win32
export WINEDEBUG=-all
