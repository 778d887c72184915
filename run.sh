#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window.
#   ./run.sh          the window, talking to the real services
#   ./run.sh --demo   the window with a loopback stand-in for every outside service
set -euo pipefail
cd "$(dirname "$0")"

demo=false
case "${1-}" in
    "") ;;
    --demo) demo=true ;;
    *) echo "usage: ./run.sh [--demo]" >&2; exit 2 ;;
esac

source tools/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target quarnel fake-web quarnel-cli

if [ -z "${DISPLAY-}" ] && [ -z "${WAYLAND_DISPLAY-}" ]; then
    echo "run.sh: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    exit 1
fi

# Qt WebEngine will not start as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi

if ! $demo; then
    exec "$build/window/quarnel"
fi

# The demo: sample pages on loopback, reached through http_proxy, and a remembered
# domain of its own so the user's real one stays untouched.
scratch=$(mktemp -d)
"$build/tools/fake-web/fake-web" --routes tools/demo/routes.txt --log "$scratch/requests.log" >"$scratch/listening" &
fake_web=$!
trap 'kill "$fake_web" 2>/dev/null; wait "$fake_web" 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do
    grep -q '^listening on ' "$scratch/listening" && break
    sleep 0.1
done
address=$(sed -n 's/^listening on //p' "$scratch/listening")
[ -n "$address" ] || { echo "run.sh: the demo's stand-in server did not start." >&2; exit 1; }

echo "Demo: the outside services are answered by fake-web on $address."
http_proxy="http://$address" no_proxy="" NO_PROXY="" XDG_STATE_HOME="$scratch/state" \
    "$build/window/quarnel"
