#!/bin/bash
# run_fuzz.sh - builds the locator fuzzer natively with clang (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs it for a bounded time
# over a fresh copy of the seed corpus. Fails on a crash, a leak, a sanitizer
# report, a broken invariant, a timeout or a warning of the compiler.
#
# Usage: run_fuzz.sh <source root> <work directory> [seconds]
#   seconds: how long to fuzz (default 60); FUZZ_SECONDS in the environment
#   overrides it: FUZZ_SECONDS=600 ctest -L fuzz --timeout 900 for a longer run.
# Environment: CLANGXX (default clang++), FUZZ_SEED (libFuzzer's -seed,
#   default 20240611: every run makes the same inputs in the same order, so a
#   failure found in one run is found again by the next), FUZZ_COVERAGE=0
#   skips the coverage summary.
#
# The seed corpus (tests/fuzz/corpus) is copied afresh into the work
# directory, so every run starts from the same inputs; the corpus the run
# grew stays in <work directory>/corpus, and an input that failed in
# <work directory>/artifacts, until the next run. To run a failing input
# again: <work directory>/locator_fuzzer <work directory>/artifacts/<file>.
set -uo pipefail

ROOT="${1:?source root}"
WORK="${2:?work directory}"
SECONDS_TO_RUN="${FUZZ_SECONDS:-${3:-60}}"
CXX="${CLANGXX:-clang++}"
HERE="$ROOT/tests/fuzz"

fail() { echo "FUZZ FAILED: $*" >&2; exit 1; }

command -v "$CXX" >/dev/null || fail "$CXX not found (tools/setup.sh installs clang and libclang-rt-dev)"
mkdir -p "$WORK" || fail "cannot create $WORK"
cd "$WORK" || fail "cannot enter $WORK"

SOURCES=("$ROOT/app/ResourceLocator.cpp" "$HERE/LocatorFuzzer.cpp")
FLAGS=(-std=c++17 -g -O1 -Wall -Wextra -Werror -I"$ROOT" -I"$HERE")

echo "== building locator_fuzzer with $("$CXX" --version | head -n 1)"
"$CXX" "${FLAGS[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${SOURCES[@]}" -o locator_fuzzer || fail "the fuzzer does not build"

rm -rf corpus artifacts
mkdir -p artifacts
cp -r "$HERE/corpus" corpus || fail "no seed corpus"
SEEDS=$(find corpus -type f | wc -l)

SEED="${FUZZ_SEED:-20240611}"
echo "== fuzzing for ${SECONDS_TO_RUN}s over $SEEDS seed inputs with seed $SEED"
SEED_ARG=(-seed="$SEED")
STARTED=$(date +%s)
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./locator_fuzzer -max_total_time="$SECONDS_TO_RUN" -timeout=5 -rss_limit_mb=2048 \
    -max_len=512 -dict="$HERE/locator.dict" -artifact_prefix=artifacts/ \
    -print_final_stats=1 "${SEED_ARG[@]}" corpus >fuzz.log 2>&1
STATUS=$?
ELAPSED=$(( $(date +%s) - STARTED ))

REPORTS=$(grep -E "ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:|locator invariant broken|ERROR: libFuzzer|SUMMARY: " fuzz.log)
ARTIFACTS=$(ls artifacts)
if [ $STATUS -ne 0 ] || [ -n "$REPORTS" ] || [ -n "$ARTIFACTS" ]; then
    tail -n 60 fuzz.log >&2
    echo "To run it again: FUZZ_SEED=$SEED $0 $ROOT $WORK $SECONDS_TO_RUN" >&2
    [ -n "$ARTIFACTS" ] && echo "or one input: $WORK/locator_fuzzer $WORK/artifacts/<file>" >&2
    fail "exit status $STATUS with seed $SEED; artifacts in $WORK/artifacts: ${ARTIFACTS:-none}"
fi

EXECS=$(sed -n 's/^stat::number_of_executed_units: *//p' fuzz.log)
LAST=$(grep -E "^#[0-9]+" fuzz.log | tail -n 1)
COV=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$LAST")
FT=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$LAST")
CORPUS=$(find corpus -type f | wc -l)
echo "== fuzzing: ${EXECS:-?} executions in ${ELAPSED}s, corpus $SEEDS -> $CORPUS inputs," \
     "coverage ${COV:-?} edges, ${FT:-?} features, no crash, leak or sanitizer report"

# Line coverage of the locator's native part over the final corpus.
PROFDATA=$(command -v llvm-profdata || ls /usr/bin/llvm-profdata-* 2>/dev/null | head -n 1)
LLVMCOV=$(command -v llvm-cov || ls /usr/bin/llvm-cov-* 2>/dev/null | head -n 1)
if [ "${FUZZ_COVERAGE:-1}" != "0" ] && [ -n "$PROFDATA" ] && [ -n "$LLVMCOV" ]; then
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer -fprofile-instr-generate -fcoverage-mapping \
        "${SOURCES[@]}" -o locator_fuzzer_coverage || fail "the coverage build fails"
    rm -f coverage.profraw
    LLVM_PROFILE_FILE=coverage.profraw ./locator_fuzzer_coverage -runs=0 corpus >coverage.log 2>&1 \
        || fail "the corpus does not replay (coverage.log)"
    "$PROFDATA" merge -sparse coverage.profraw -o coverage.profdata || fail "llvm-profdata"
    echo "== coverage of app/ResourceLocator.cpp over the final corpus:"
    "$LLVMCOV" report locator_fuzzer_coverage -instr-profile=coverage.profdata \
        "$ROOT/app/ResourceLocator.cpp" | sed -n '1,3p;$p'
    DEMANGLE=()
    command -v c++filt >/dev/null && DEMANGLE=(-Xdemangler=c++filt)
    "$LLVMCOV" report locator_fuzzer_coverage -instr-profile=coverage.profdata "${DEMANGLE[@]}" \
        -show-functions "$ROOT/app/ResourceLocator.cpp" | sed -n '2,$p' | grep -v -- "^---"
fi
echo "== fuzzing passed"
