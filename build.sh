#!/usr/bin/env bash
# Installs what is missing, builds, and then:
#   ./build.sh run           starts the application
#   ./build.sh test          runs every test, then again under AddressSanitizer
#                            and UndefinedBehaviorSanitizer
#   ./build.sh fuzz SECONDS  fuzzes the reader, parser and engine
set -euo pipefail
cd "$(dirname "$0")"

JOBS=$(nproc 2>/dev/null || echo 2)
BASE_PACKAGES=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libdragonbox-dev qt6-base-dev
               libgl-dev fonts-dejavu-core python3)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

build() {  # build DIR [cmake options...]
  local dir=$1
  shift
  cmake -S . -B "$dir" "$@"
  cmake --build "$dir" -j "$JOBS"
}

case "${1:-}" in
  run)
    install_missing "${BASE_PACKAGES[@]}"
    build build -DCMAKE_BUILD_TYPE=Release -DBM_BUILD_TESTS=OFF -DBM_BUILD_BENCH=OFF
    exec ./build/app/iges-to-brindlemark
    ;;
  test)
    install_missing "${BASE_PACKAGES[@]}"
    export QT_QPA_PLATFORM=offscreen
    build build -DCMAKE_BUILD_TYPE=Release -DBM_WERROR=ON
    (cd build && ctest --output-on-failure -j "$JOBS")
    # The same tests with the sanitizers; Qt's own allocations are not ours
    # to chase, so leak detection stays off.
    build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBM_SANITIZE=ON -DBM_WERROR=ON -DBM_BUILD_BENCH=OFF
    (cd build-asan && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
       ctest --output-on-failure -j "$JOBS")
    ;;
  fuzz)
    install_missing "${BASE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    exec ./fuzz/run_fuzz.sh "${2:-120}"
    ;;
  *)
    echo "usage: ./build.sh run | test | fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
