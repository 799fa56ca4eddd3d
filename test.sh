#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the full suite, then
# the core tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

scripts/build.sh build
(cd build && ctest --output-on-failure -j "$(nproc)")

scripts/build.sh build-asan -DZC4160_SANITIZE=ON -DZC4160_CORE_ONLY=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$(nproc)")
