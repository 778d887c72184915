#!/usr/bin/env bash
# Builds the test configuration as ./test.sh does and runs the whole CTest suite three
# times in a row, four tests at a time, so that on a machine of two cores the tests compete
# for it as they do in CI. Then lists every test that failed in any round, with the round,
# or says that every round was clean; exits 1 when any test failed. For developers
# hunting tests that pass by luck; ./test.sh does not run it.
#   tools/flake-check.sh [ROUNDS]     (3 unless given; each round's log stays in build/test/flake-check/)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

rounds=${1:-3}
build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARNEL_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

logs="$build/flake-check"
mkdir -p "$logs"
failures=()
for round in $(seq 1 "$rounds"); do
    log="$logs/round-$round.log"
    echo "flake-check: round $round of $rounds ($log)"
    status=0
    ctest --test-dir "$build" -j4 --output-on-failure >"$log" 2>&1 || status=$?
    grep -E '^[0-9]+% tests passed' "$log" || true
    # CTest names each failed test under this heading: "  12 - Suite.Name (Failed)".
    named=0
    while IFS= read -r failed; do
        failures+=("round $round: $failed")
        named=$((named + 1))
    done < <(sed -n '/^The following tests FAILED:/,$ s/^[[:space:]]*[0-9]\+ - //p' "$log")
    if [ "$status" -ne 0 ] && [ "$named" -eq 0 ]; then
        failures+=("round $round: ctest exited with status $status without naming a test")
    fi
done

if [ "${#failures[@]}" -eq 0 ]; then
    echo "flake-check: all $rounds rounds clean"
    exit 0
fi
echo "flake-check: ${#failures[@]} failure(s) in $rounds rounds:"
printf '  %s\n' "${failures[@]}"
exit 1
