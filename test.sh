#!/usr/bin/env bash
# Installs what is missing, runs the fuzzers for a short while, builds with
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test headless through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

# The fuzzers first, in a clang build of their own, so that the run ends with the main summary.
if command -v clang++ >/dev/null; then
    fuzz=build/fuzz
    cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
          -DQUARNEL_FUZZ=ON -DQUARNEL_GUI=OFF >/dev/null
    cmake --build "$fuzz" -j"$(nproc)" --target quarnel_fuzzers
    ctest --test-dir "$fuzz" -L fuzz --output-on-failure -j"$(nproc)"
fi

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARNEL_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
