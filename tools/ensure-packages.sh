#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by run.sh and test.sh; needs root (or sudo) only when something is missing.
set -euo pipefail

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# What every build of the project needs: the logic, the window and the tests (clang for the
# fuzzers; OpenSSL for fake-web's HTTPS and the tests' certificate authority;
# desktop-file-utils, appstream and man-db check the installed menu entry, metainfo and manual
# pages; xvfb and xdotool show the window on a real X server and click it; libnss3-tools puts
# the tests' certificate authority where the browser engine looks, as a user behind an
# inspecting proxy would).
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config libcurl4-openssl-dev nlohmann-json3-dev
                libgtest-dev libgmock-dev ca-certificates qt6-base-dev qt6-webengine-dev
                libgl-dev fonts-noto-cjk libsqlite3-dev libsqlitecpp-dev libcli11-dev qt6-charts-dev
                libtomlplusplus-dev libxml2-dev libssl-dev openssl libfontconfig-dev
                clang libclang-rt-14-dev desktop-file-utils appstream man-db xvfb xdotool libnss3-tools)
