#!/bin/sh
# Checks the watch units with systemd-analyze. Usage: verify_units.sh UNIT_FOLDER QUARNEL_CLI
# Verify needs a runtime folder without a user session in it, and the program the
# service starts must exist: the copies checked here start the quarnel-cli just built.
# The manual page is checked by the package, not here.
set -eu
command -v systemd-analyze >/dev/null 2>&1 || exit 77

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
sed "s#@QUARNEL_CLI_INSTALLED@#$2#" "$1/quarnel-watch.service.in" >"$scratch/quarnel-watch.service"
cp "$1/quarnel-watch.timer" "$scratch/"

# Any complaint counts: verify reports unknown keys and the like on stderr yet exits 0.
complaints=$(cd "$scratch" && XDG_RUNTIME_DIR="$scratch/run" \
    systemd-analyze verify --user --man=no ./quarnel-watch.service ./quarnel-watch.timer 2>&1) || {
    printf '%s\n' "$complaints"
    exit 1
}
if [ -n "$complaints" ]; then
    printf '%s\n' "$complaints"
    exit 1
fi
