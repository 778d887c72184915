#!/usr/bin/env bash
# Builds the two Debian packages, runs lintian on them (a warning fails as an error does),
# and proves them in a fresh Debian 12 root made by `debootstrap --variant=minbase bookworm`
# (no compiler, no Qt, nothing of ours):
#   1. quarnel-cli installs alone without pulling any Qt package;
#   2. `apt-get install ./quarnel-cli_*.deb ./quarnel_*.deb` installs both from the mirror;
#      `apt-get purge` of both and `apt-get autoremove --purge` then leave the root's file
#      list as it was when fresh; the two are installed again;
#   3. the watch service starts the installed quarnel-cli; quarnel-cli --version runs;
#      quarnel-cli --json of one domain against fake-web on loopback (run outside the
#      root: a chroot shares the network) gives every value;
#   4. quarnel --version runs; the window starts offscreen, loads both web panels through
#      fake-web, and is still running when `timeout` stops it;
#   5. a plain `apt-get remove quarnel quarnel-cli` leaves neither package known to dpkg
#      (with no maintainer script and no configuration file there is nothing to purge) and
#      the root's file list as it was before the second install (dependencies still there).
# Needs root, debootstrap and the Debian mirror; takes a few minutes. Not part of ./test.sh.
#   tools/prove-debian-packages.sh [MIRROR]     default http://deb.debian.org/debian
set -euo pipefail
cd "$(dirname "$0")/.."
mirror=${1:-http://deb.debian.org/debian}

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

source tools/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" debootstrap lintian

step "Building the packages"
build=build/release
# The packages install under /usr, and files that name an installed path are configured
# with it. cpack would otherwise build every test and benchmark; the programs are built here.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target quarnel quarnel-cli fake-web quarnel_gzipped_docs >/dev/null
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
cli_deb=$(echo "$build"/quarnel-cli_*_amd64.deb)
gui_deb=$(echo "$build"/quarnel_*_amd64.deb)
ls -l "$cli_deb" "$gui_deb"
dpkg-deb -f "$cli_deb" Package Version Depends Recommends
dpkg-deb -f "$gui_deb" Package Version Depends Recommends

step "lintian (errors, warnings and infos; errors and warnings fail)"
lintian_status=0
lintian -I --fail-on error,warning "$cli_deb" "$gui_deb" >"$build/lintian.txt" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$build/lintian.txt" || echo "(no tags)"
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors or warnings"

scratch=$(mktemp -d /var/tmp/quarnel-proof.XXXXXX)
root=$scratch/root
fake_web=""
cleanup() {
    [ -z "$fake_web" ] || { kill "$fake_web" 2>/dev/null; wait "$fake_web" 2>/dev/null; }
    for mount in dev sys proc; do
        umount -R "$root/$mount" 2>/dev/null || true
    done
    # Only remove the root once nothing is mounted in it any more.
    if ! grep -q " $root/" /proc/mounts; then rm -rf "$scratch"; fi
}
trap cleanup EXIT

step "debootstrap --variant=minbase bookworm $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$scratch/debootstrap.log" 2>&1 ||
    { tail -20 "$scratch/debootstrap.log"; fail "debootstrap"; }
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mkdir -p "$root/tmp/debs" "$root/tmp/home"
cp "$cli_deb" "$gui_deb" "$root/tmp/debs/"

in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        HOME=/tmp/home DEBIAN_FRONTEND=noninteractive DEBCONF_NOWARNINGS=yes "$@"
}
apt_in_root() { in_root sh -c "cd /tmp/debs && apt-get -y -q -o Dpkg::Use-Pty=0 $*"; }
# Every path in the root apart from mounts, scratch space (/tmp, /var/tmp), run-time state
# that a booted system keeps on a tmpfs (/run), and what apt and dpkg keep for themselves
# whatever is installed: logs (/var/log), downloaded packages, package lists and debconf's
# answers (/var/cache, /var/lib/apt), dpkg's journal (/var/lib/dpkg/updates), and dpkg's
# database of permission overrides with its backup, which stays, empty, once a package
# (dbus) registered an override and was purged (/var/lib/dpkg/statoverride{,-old}).
file_list() {
    (cd "$root" && find . -xdev \( -path ./tmp -o -path ./var/tmp -o -path ./run -o -path ./var/log \
        -o -path ./var/cache -o -path ./var/lib/apt -o -path ./var/lib/dpkg/updates \
        -o -path './var/lib/dpkg/statoverride*' \) -prune -o -printf '%y %p\n' | LC_ALL=C sort)
}
installed_packages() { in_root dpkg-query -W -f '${db:Status-Abbrev}${Package}\n' | sed -n 's/^ii *//p' | sort; }
# What Debian's own packages that come with Qt leave when purged, on purpose: systemd's and
# dbus's maintainer scripts give the machine its identity and mount table link, add system
# users (the user tools keep a backup of the password files), and make systemd-tmpfiles'
# folders. None of ours, and not there in a fresh minbase root.
debian_leftovers() {
    cat <<'LEFT'
d ./root/.ssh
d ./var/lib/private
d ./var/lib/systemd/coredump
d ./var/lib/systemd/pstore
f ./etc/gshadow-
f ./etc/machine-id
f ./etc/shadow-
l ./etc/mtab
LEFT
}
qt_packages() { in_root dpkg-query -W -f '${Package}\n' | grep -i 'qt' || true; }
[ -z "$(in_root which cc c++ gcc g++ 2>/dev/null)" ] || fail "the fresh root has a compiler"
apt_in_root update >/dev/null
file_list >"$scratch/fresh.txt"
installed_packages >"$scratch/fresh-packages.txt"

step "quarnel-cli alone pulls no Qt package"
apt_in_root install --simulate ./"${cli_deb##*/}" | grep '^Inst' | tee "$scratch/cli-alone.txt"
! grep -qi 'qt' "$scratch/cli-alone.txt" || fail "installing quarnel-cli alone would pull Qt"
apt_in_root install ./"${cli_deb##*/}" >/dev/null
[ -z "$(qt_packages)" ] || fail "Qt packages installed with quarnel-cli: $(qt_packages)"
echo "ok: quarnel-cli installed; no Qt package in the root"

step "apt-get install ./${cli_deb##*/} ./${gui_deb##*/}"
apt_in_root install ./"${cli_deb##*/}" ./"${gui_deb##*/}" | grep -E '^(Setting up quarnel|[0-9]+ upgraded)'
echo "ok: $(qt_packages | wc -l) Qt packages came with quarnel"

step "apt-get purge and autoremove --purge after the first install"
apt_in_root purge quarnel quarnel-cli >/dev/null
# Taken with the dependencies still there, for the remove after the second install.
file_list >"$scratch/before.txt"
apt_in_root autoremove --purge | grep -E '^[0-9]+ upgraded'
# autoremove keeps what a package of the fresh root recommends (apt recommends
# ca-certificates, which needs openssl); those are purged by name.
kept=$(installed_packages | comm -13 "$scratch/fresh-packages.txt" - | tr '\n' ' ')
if [ -n "$kept" ]; then
    echo "apt kept, as recommended by the fresh root's packages: $kept"
    apt_in_root purge --autoremove $kept | grep -E '^[0-9]+ upgraded'
fi
file_list | grep -vxF -f <(debian_leftovers) >"$scratch/first-purged.txt" || true
diff -u "$scratch/fresh.txt" "$scratch/first-purged.txt" || fail "the purge left the fresh root different"
echo "note: not counted where left, being Debian's own: $(debian_leftovers | cut -c3- | tr '\n' ' ')"
echo "ok: the root holds the same $(wc -l <"$scratch/fresh.txt") paths as when it was fresh"

step "install again, with the dependencies"
apt_in_root install ./"${cli_deb##*/}" ./"${gui_deb##*/}" >/dev/null
in_root dpkg-query -W quarnel quarnel-cli

step "the watch service starts the installed quarnel-cli"
unit=/usr/lib/systemd/user/quarnel-watch.service
[ -e "$root$unit" ] || fail "$unit is not installed"
program=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$root$unit")
[ -x "$root$program" ] || fail "$unit starts $program, which is not installed"
echo "ok: $unit starts $program"

step "quarnel-cli --version"
in_root quarnel-cli --version

step "quarnel-cli --json against fake-web on loopback"
"$build/tools/fake-web/fake-web" --routes tools/demo/routes.txt --log "$scratch/requests.log" \
    >"$scratch/listening" &
fake_web=$!
for _ in $(seq 50); do
    grep -q '^listening on ' "$scratch/listening" && break
    sleep 0.1
done
proxy="http://$(sed -n 's/^listening on //p' "$scratch/listening")"
# The sample pages answer every check for the maker's own domain, the hijack one included.
in_root http_proxy="$proxy" quarnel-cli --json www.quarnel.example | tee "$scratch/result.json"
grep -q '"fetch_failures":0,' "$scratch/result.json" || fail "fetches failed"
! grep -q 'null' "$scratch/result.json" || fail "a value is missing"
echo "ok: every value filled, no fetch failed"

step "quarnel --version; the window offscreen, stopped by timeout after 20 s"
in_root quarnel --version
: >"$scratch/requests.log"
status=0
in_root http_proxy="$proxy" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    timeout -k 5 20 quarnel >"$scratch/window.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$scratch/window.log"; fail "the window ended by itself with status $status"; }
grep -q 'www.quarnel.example/tb/' "$scratch/requests.log" || fail "the banner panel made no request"
grep -q 'check.quarnel.example/divuv/' "$scratch/requests.log" || fail "the check panel made no request"
echo "ok: the window ran until timeout stopped it, and its panels requested:"
sed 's/^/    /' "$scratch/requests.log" | sort -u

step "apt-get remove quarnel quarnel-cli"
apt_in_root remove quarnel quarnel-cli | grep -E '^Removing'
file_list >"$scratch/after.txt"
# The second letter of the state is n for not installed; c (config-files) would need a purge.
left=$(in_root dpkg-query -W -f '${db:Status-Abbrev}${Package}\n' 'quarnel*' 2>/dev/null | grep -v '^.n' || true)
[ -z "$left" ] || fail "dpkg still holds: $left"
# Qt WebEngine run as root leaves an empty, private "locales" folder beside its helper
# program in Qt's own folder (it does so on the build machine too); that is the engine's.
engine_leftover='d ./usr/lib/qt6/libexec/locales'
if grep -qxF "$engine_leftover" "$scratch/after.txt" && ! grep -qxF "$engine_leftover" "$scratch/before.txt"; then
    grep -vxF "$engine_leftover" "$scratch/after.txt" >"$scratch/after-engine.txt" || true
    mv "$scratch/after-engine.txt" "$scratch/after.txt"
    echo "note: not counted: ${engine_leftover#d .}, the folder Qt WebEngine made"
fi
diff -u "$scratch/before.txt" "$scratch/after.txt" || fail "the remove left the root different"
echo "ok: the root holds the same $(wc -l <"$scratch/after.txt") paths as before the install"

step "All proven"
