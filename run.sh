#!/usr/bin/env bash
# Installs what is missing, builds, and starts the command-line front end with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
cmake --build "$build" -j"$(nproc)" >&2
exec "$build/shell/cli/quarnel-cli" "$@"
