#!/usr/bin/env bash
# Builds iges_fuzzer (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and fuzzes the core road for the given number of seconds from the seed corpus.
#
#   fuzz/run_fuzz.sh SECONDS [libFuzzer options...]
#
# Environment:
#   BM_FUZZ_JOBS       parallel fuzzing processes (default 1)
#   BM_FUZZ_BUILD_DIR  build folder (default build-fuzz in the repository)
#   BM_FUZZ_WORK_DIR   scratch folder for the growing corpus and the crash
#                      inputs (default a new temporary folder, kept)
#
# The seeds are copied to the scratch folder first, so the repository's
# corpus never grows by itself. Exits non-zero when any input crashed, broke
# a sanitizer, ran over 10 s or over 2 GB: such an input is a defect to mend
# at its cause, then to keep in fuzz/corpus/regressions/ under a name that
# says what broke.
set -euo pipefail

if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [libFuzzer options...]" >&2
  exit 2
fi
seconds=$1
shift

fuzz_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$fuzz_dir/.." && pwd)
build=${BM_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${BM_FUZZ_JOBS:-1}
work=${BM_FUZZ_WORK_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/iges-fuzz.XXXXXX")}

if ! command -v clang++ >/dev/null; then
  echo "run_fuzz.sh: clang++ is missing (Debian: apt-get install clang libclang-rt-14-dev)" >&2
  exit 2
fi

mkdir -p "$build"
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBM_FUZZ=ON -DBM_BUILD_TESTS=ON -DBM_BUILD_APP=OFF -DBM_BUILD_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; exit 2; }
cmake --build "$build" --target iges_fuzzer -j "$(nproc)"
fuzzer=$build/fuzz/iges_fuzzer

mkdir -p "$work/corpus" "$work/artifacts"
cp "$fuzz_dir"/corpus/*.seed "$work/corpus/"
if compgen -G "$fuzz_dir/corpus/regressions/*" >/dev/null; then
  cp "$fuzz_dir"/corpus/regressions/* "$work/corpus/"
fi

options=(
  -max_total_time="$seconds"
  -rss_limit_mb=2048
  -timeout=10
  -dict="$fuzz_dir/iges.dict"
  -artifact_prefix="$work/artifacts/"
  -print_final_stats=1
)
if ((jobs > 1)); then
  options+=(-jobs="$jobs" -workers="$jobs")
fi

echo "run_fuzz.sh: fuzzing for ${seconds}s with $jobs job(s); scratch folder $work"
status=0
(cd "$work" && "$fuzzer" "${options[@]}" "$@" corpus) || status=$?

# With several jobs each one logs to fuzz-N.log; show how they ended.
if ((jobs > 1)); then
  for log in "$work"/fuzz-*.log; do
    [[ -e $log ]] || continue
    echo "== $log"
    grep -E "^(stat::|#[0-9]+ *DONE|==[0-9]+==ERROR|SUMMARY|core road broke)" "$log" | tail -n 12 || true
  done
fi

found=$(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \
  -o -name 'slow-unit-*' \) | sort)
if [[ -n $found || $status -ne 0 ]]; then
  echo "run_fuzz.sh: FAILED (fuzzer status $status); inputs that broke the core road:" >&2
  echo "${found:-  (none saved)}" >&2
  echo "Reproduce one with: $fuzzer FILE" >&2
  exit 1
fi
echo "run_fuzz.sh: no crash, sanitizer report, timeout or out-of-memory in ${seconds}s"
