#!/bin/bash
# run_ipp_fuzz.sh - builds the IPP fuzzer natively with clang (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs a fixed number of
# inputs with a fixed seed over a fresh copy of the seed corpus (real answers
# of the CUPS test server, tests/ipp/corpus), so a failure in CI repeats on
# any machine: the same seed and count give the same inputs. Fails on a
# crash, a leak, a sanitizer report, a broken invariant, a timeout or a
# warning of the compiler.
#
# Usage: run_ipp_fuzz.sh <source root> <work directory> [seconds]
#   seconds: a cap on the fuzzing time (default 60); the run normally ends
#   earlier, after IPP_FUZZ_RUNS inputs.
# Environment: IPP_FUZZ_RUNS (default 200000), FUZZ_SEED (default 20261208),
#   FUZZ_SECONDS (overrides the cap), CLANGXX (default clang++),
#   FUZZ_COVERAGE=0 skips the coverage summary.
# To repeat a failure: the same command with the same FUZZ_SEED and
#   IPP_FUZZ_RUNS, or <work>/ipp_fuzzer <work>/artifacts/<crash file>.
set -uo pipefail

ROOT="${1:?source root}"
WORK="${2:?work directory}"
SECONDS_TO_RUN="${FUZZ_SECONDS:-${3:-60}}"
RUNS="${IPP_FUZZ_RUNS:-200000}"
SEED="${FUZZ_SEED:-20261208}"
CXX="${CLANGXX:-clang++}"
HERE="$ROOT/tests/ipp/fuzz"

fail() { echo "FUZZ FAILED: $*" >&2; exit 1; }

command -v "$CXX" >/dev/null || fail "$CXX not found (tools/setup.sh installs clang and libclang-rt-dev)"
mkdir -p "$WORK" || fail "cannot create $WORK"
cd "$WORK" || fail "cannot enter $WORK"

SOURCES=("$ROOT/ipp/IppMessage.cpp" "$ROOT/ipp/IppPrinter.cpp" "$HERE/IppFuzzer.cpp")
FLAGS=(-std=c++17 -g -O1 -Wall -Wextra -Werror -I"$ROOT")

echo "== building ipp_fuzzer with $("$CXX" --version | head -n 1)"
"$CXX" "${FLAGS[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${SOURCES[@]}" -o ipp_fuzzer || fail "the fuzzer does not build"

rm -rf corpus artifacts
mkdir -p artifacts
cp -r "$ROOT/tests/ipp/corpus" corpus || fail "no seed corpus"
SEEDS=$(find corpus -type f | wc -l)

echo "== fuzzing $RUNS inputs with seed $SEED (at most ${SECONDS_TO_RUN}s) over $SEEDS seed inputs"
STARTED=$(date +%s)
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./ipp_fuzzer -seed="$SEED" -runs="$RUNS" -max_total_time="$SECONDS_TO_RUN" -timeout=5 \
    -rss_limit_mb=2048 -reload=0 -max_len=65536 -dict="$HERE/ipp.dict" -artifact_prefix=artifacts/ \
    -print_final_stats=1 corpus >fuzz.log 2>&1
STATUS=$?
ELAPSED=$(( $(date +%s) - STARTED ))

REPORTS=$(grep -E "ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:|ipp invariant broken|ERROR: libFuzzer|SUMMARY: " fuzz.log)
ARTIFACTS=$(ls artifacts)
if [ $STATUS -ne 0 ] || [ -n "$REPORTS" ] || [ -n "$ARTIFACTS" ]; then
    tail -n 60 fuzz.log >&2
    fail "exit status $STATUS; artifacts in $WORK/artifacts: ${ARTIFACTS:-none} (seed $SEED, $RUNS runs)"
fi

EXECS=$(sed -n 's/^stat::number_of_executed_units: *//p' fuzz.log)
LAST=$(grep -E "^#[0-9]+" fuzz.log | tail -n 1)
COV=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$LAST")
FT=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$LAST")
CORPUS=$(find corpus -type f | wc -l)
echo "== fuzzing: ${EXECS:-?} executions in ${ELAPSED}s, corpus $SEEDS -> $CORPUS inputs," \
     "coverage ${COV:-?} edges, ${FT:-?} features, no crash, leak or sanitizer report"
[ "${EXECS:-0}" -lt "$RUNS" ] && echo "== note: the time cap ended the run before $RUNS inputs"

# Line coverage of the decoder and the parsers over the final corpus.
PROFDATA=$(command -v llvm-profdata || ls /usr/bin/llvm-profdata-* 2>/dev/null | head -n 1)
LLVMCOV=$(command -v llvm-cov || ls /usr/bin/llvm-cov-* 2>/dev/null | head -n 1)
if [ "${FUZZ_COVERAGE:-1}" != "0" ] && [ -n "$PROFDATA" ] && [ -n "$LLVMCOV" ]; then
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer -fprofile-instr-generate -fcoverage-mapping \
        "${SOURCES[@]}" -o ipp_fuzzer_coverage || fail "the coverage build fails"
    rm -f coverage.profraw
    LLVM_PROFILE_FILE=coverage.profraw ./ipp_fuzzer_coverage -runs=0 corpus >coverage.log 2>&1 \
        || fail "the corpus does not replay (coverage.log)"
    "$PROFDATA" merge -sparse coverage.profraw -o coverage.profdata || fail "llvm-profdata"
    echo "== coverage of ipp/IppMessage.cpp and ipp/IppPrinter.cpp over the final corpus:"
    "$LLVMCOV" report ipp_fuzzer_coverage -instr-profile=coverage.profdata \
        "$ROOT/ipp/IppMessage.cpp" "$ROOT/ipp/IppPrinter.cpp" | sed -n '1,2p;$p'
fi
echo "== fuzzing passed"
