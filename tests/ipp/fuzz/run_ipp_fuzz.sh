#!/bin/bash
# run_ipp_fuzz.sh - fuzzes the IPP decoder and the printer answer parsers
# (ipp/IppMessage.cpp, ipp/IppPrinter.cpp) over real answers of the CUPS test
# server (tests/ipp/corpus): a fixed number of inputs with a fixed seed, so a
# failure in CI repeats on any machine. libfuzzer-run.sh does the run.
#
# Usage: run_ipp_fuzz.sh <source root> <work directory> [seconds]
#   seconds: a cap on the fuzzing time (default 60); the run normally ends
#   earlier, after IPP_FUZZ_RUNS inputs.
# Environment: IPP_FUZZ_RUNS (default 200000), FUZZ_SEED (default 20261208),
#   FUZZ_SECONDS (overrides the cap), CLANGXX, FUZZ_COVERAGE=0.
# To repeat a failure: the same command with the same FUZZ_SEED and
#   IPP_FUZZ_RUNS, or <work>/ipp_fuzzer <work>/artifacts/<crash file>.
NAME=ipp
SOURCES=(ipp/IppMessage.cpp ipp/IppPrinter.cpp tests/ipp/fuzz/IppFuzzer.cpp)
COVERED=(ipp/IppMessage.cpp ipp/IppPrinter.cpp)
INCLUDES=()
CORPUS=tests/ipp/corpus
DICT=tests/ipp/fuzz/ipp.dict
MAX_LEN=65536
RUNS="${IPP_FUZZ_RUNS:-200000}"
SEED="${FUZZ_SEED:-20261208}"
. "$(dirname "$0")/../../fuzz/libfuzzer-run.sh"
