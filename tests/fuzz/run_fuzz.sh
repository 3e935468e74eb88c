#!/bin/bash
# run_fuzz.sh - fuzzes the resource locator's parsing of prodinfo.ini lines
# (app/ResourceLocator.cpp) for a bounded time; libfuzzer-run.sh does the run.
#
# Usage: run_fuzz.sh <source root> <work directory> [seconds]
#   seconds: how long to fuzz (default 60); FUZZ_SECONDS in the environment
#   overrides it: FUZZ_SECONDS=600 ctest -L fuzz --timeout 900 for a longer run.
# Environment: FUZZ_SEED (default 20240611: every run makes the same inputs in
#   the same order, so a failure found in one run is found again by the next),
#   CLANGXX, FUZZ_COVERAGE=0.
#
# The corpus the run grew stays in <work directory>/corpus, and an input that
# failed in <work directory>/artifacts, until the next run. To run a failing
# input again: <work directory>/locator_fuzzer <work directory>/artifacts/<file>.
NAME=locator
SOURCES=(app/ResourceLocator.cpp tests/fuzz/LocatorFuzzer.cpp)
COVERED=(app/ResourceLocator.cpp)
INCLUDES=(tests/fuzz)
CORPUS=tests/fuzz/corpus
DICT=tests/fuzz/locator.dict
MAX_LEN=512
RUNS=0
SEED="${FUZZ_SEED:-20240611}"
. "$(dirname "$0")/libfuzzer-run.sh"
