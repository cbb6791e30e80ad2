#!/usr/bin/env bash
# Installs what is missing, builds the wizard and runs the whole test suite: the unit and
# end-to-end tests in a normal build, again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=2

echo "== build and test =="
# The tests and benchmarks on, also where scripts/run.sh configured build/ without them.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DZORVEX_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build and test =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVEX_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:suppressions=$PWD/tests/asan.supp
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzzers =="
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVEX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs"
seconds="${ZORVEX_FUZZ_SECONDS:-30}"
for corpus in tests/fuzz/corpus/*/; do
  name=$(basename "$corpus")
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"
  echo "fuzzing $name for ${seconds}s"
  "build-fuzz/tests/fuzz/${name}_fuzz" -max_total_time="$seconds" -print_final_stats=0 "$work" 2>&1 | tail -2
  rm -rf "$work"
done
echo "== all tests passed =="
