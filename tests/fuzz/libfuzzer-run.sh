# libfuzzer-run.sh - the body of a fuzz run, sourced by run_fuzz.sh (the
# resource locator) and tests/ipp/fuzz/run_ipp_fuzz.sh (the IPP decoder): it
# builds the fuzzer natively with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), runs it with a fixed seed over a fresh copy of
# the seed corpus, and fails on a crash, a leak, a sanitizer report, a broken
# invariant, a timeout or a warning of the compiler. A coverage build then
# reports the line coverage of the code under test over the final corpus.
#
# The sourcing script sets, all paths relative to the source root:
#   NAME       the fuzzer's name (<NAME>_fuzzer, "<NAME> invariant broken")
#   SOURCES    the sources of the fuzzer, the code under test first
#   COVERED    the sources whose coverage is reported
#   INCLUDES   extra include folders
#   CORPUS     the seed corpus; DICT its dictionary; MAX_LEN the longest input
#   RUNS       inputs to run (0: run until the time cap)
#   SEED       libFuzzer's -seed: the same seed and count give the same inputs
# and passes its arguments on: <source root> <work directory> [seconds], the
# seconds a cap on the fuzzing time (default 60; FUZZ_SECONDS overrides it).
# Environment: CLANGXX (default clang++), FUZZ_COVERAGE=0 skips the coverage.
set -uo pipefail

ROOT="${1:?source root}"
WORK="${2:?work directory}"
SECONDS_TO_RUN="${FUZZ_SECONDS:-${3:-60}}"
CXX="${CLANGXX:-clang++}"
FUZZER="${NAME}_fuzzer"

fail() { echo "FUZZ FAILED: $*" >&2; exit 1; }

command -v "$CXX" >/dev/null || fail "$CXX not found (tools/setup.sh installs clang and libclang-rt-dev)"
mkdir -p "$WORK" || fail "cannot create $WORK"
cd "$WORK" || fail "cannot enter $WORK"

FLAGS=(-std=c++17 -g -O1 -Wall -Wextra -Werror -I"$ROOT")
for dir in "${INCLUDES[@]}"; do FLAGS+=(-I"$ROOT/$dir"); done
FILES=()
for file in "${SOURCES[@]}"; do FILES+=("$ROOT/$file"); done

echo "== building $FUZZER with $("$CXX" --version | head -n 1)"
"$CXX" "${FLAGS[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${FILES[@]}" -o "$FUZZER" || fail "the fuzzer does not build"

rm -rf corpus artifacts
mkdir -p artifacts
cp -r "$ROOT/$CORPUS" corpus || fail "no seed corpus"
SEEDS=$(find corpus -type f | wc -l)

if [ "$RUNS" -gt 0 ]; then
    echo "== fuzzing $RUNS inputs with seed $SEED (at most ${SECONDS_TO_RUN}s) over $SEEDS seed inputs"
else
    echo "== fuzzing for ${SECONDS_TO_RUN}s over $SEEDS seed inputs with seed $SEED"
fi
STARTED=$(date +%s)
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "./$FUZZER" -seed="$SEED" -runs="$([ "$RUNS" -gt 0 ] && echo "$RUNS" || echo -1)" \
    -max_total_time="$SECONDS_TO_RUN" -timeout=5 -rss_limit_mb=2048 -reload=0 -max_len="$MAX_LEN" \
    -dict="$ROOT/$DICT" -artifact_prefix=artifacts/ -print_final_stats=1 corpus >fuzz.log 2>&1
STATUS=$?
ELAPSED=$(( $(date +%s) - STARTED ))

REPORTS=$(grep -E "ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:|$NAME invariant broken|ERROR: libFuzzer|SUMMARY: " fuzz.log)
ARTIFACTS=$(ls artifacts)
if [ $STATUS -ne 0 ] || [ -n "$REPORTS" ] || [ -n "$ARTIFACTS" ]; then
    tail -n 60 fuzz.log >&2
    echo "To run it again: FUZZ_SEED=$SEED $0 $ROOT $WORK $SECONDS_TO_RUN" >&2
    [ -n "$ARTIFACTS" ] && echo "or one input: $WORK/$FUZZER $WORK/artifacts/<file>" >&2
    fail "exit status $STATUS with seed $SEED; artifacts in $WORK/artifacts: ${ARTIFACTS:-none}"
fi

EXECS=$(sed -n 's/^stat::number_of_executed_units: *//p' fuzz.log)
LAST=$(grep -E "^#[0-9]+" fuzz.log | tail -n 1)
COV=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$LAST")
FT=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$LAST")
echo "== fuzzing: ${EXECS:-?} executions in ${ELAPSED}s, corpus $SEEDS -> $(find corpus -type f | wc -l) inputs," \
     "coverage ${COV:-?} edges, ${FT:-?} features, no crash, leak or sanitizer report"
[ "$RUNS" -gt 0 ] && [ "${EXECS:-0}" -lt "$RUNS" ] && echo "== note: the time cap ended the run before $RUNS inputs"

PROFDATA=$(command -v llvm-profdata || ls /usr/bin/llvm-profdata-* 2>/dev/null | head -n 1)
LLVMCOV=$(command -v llvm-cov || ls /usr/bin/llvm-cov-* 2>/dev/null | head -n 1)
if [ "${FUZZ_COVERAGE:-1}" != "0" ] && [ -n "$PROFDATA" ] && [ -n "$LLVMCOV" ]; then
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer -fprofile-instr-generate -fcoverage-mapping \
        "${FILES[@]}" -o "${FUZZER}_coverage" || fail "the coverage build fails"
    rm -f coverage.profraw
    LLVM_PROFILE_FILE=coverage.profraw "./${FUZZER}_coverage" -runs=0 corpus >coverage.log 2>&1 \
        || fail "the corpus does not replay (coverage.log)"
    "$PROFDATA" merge -sparse coverage.profraw -o coverage.profdata || fail "llvm-profdata"
    COVERED_FILES=()
    for file in "${COVERED[@]}"; do COVERED_FILES+=("$ROOT/$file"); done
    echo "== coverage of ${COVERED[*]} over the final corpus:"
    "$LLVMCOV" report "${FUZZER}_coverage" -instr-profile=coverage.profdata "${COVERED_FILES[@]}" | sed -n '1,3p;$p'
fi
echo "== fuzzing passed"
