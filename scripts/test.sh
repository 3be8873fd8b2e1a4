#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite twice: once in a
# normal build, once with AddressSanitizer and UndefinedBehaviorSanitizer; then runs the
# concurrency suite in a ThreadSanitizer build. Any failure or reported race fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Sanitizer build (address, undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIV_SANITIZE=ON -DKIV_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# The other suites run single-threaded code that the two builds above already check; the
# concurrency suite is what a thread sanitizer can judge, so only it is built and run here.
echo "== Thread-sanitizer build (the concurrency suite)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_SANITIZE_THREAD=ON \
  -DKIV_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs" --target test_concurrency
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" --no-tests=error -R '^Concurrency\.'
