#!/usr/bin/env bash
# Checks the Debian packages kestrel and kestrel-agent as a café owner would meet them:
#  1. lintian reports no error, and the menu and autostart entries are valid;
#  2. both install with apt-get on this machine; the installed programs answer (kestrel
#     --version and --init-db, the per-user data folder, kestrel-agent --help, kestrel-kiosk
#     on a copy of /etc);
#  3. removing keeps the station's configuration file, purging takes everything away, and the
#     file system is as it was before, save the desktop's caches that triggers rebuild.
# Usage: packaging/check-packages.sh KESTREL_DEB KESTREL_AGENT_DEB   (as root, or with sudo)
set -euo pipefail
[ $# = 2 ] || { echo "usage: $0 kestrel_*.deb kestrel-agent_*.deb" >&2; exit 1; }
console_deb=$(realpath "$1")
agent_deb=$(realpath "$2")
sudo=()
[ "$(id -u)" = 0 ] || sudo=(sudo)
work=$(mktemp -d)
added=
# A check that fails half-way still takes away what it installed.
cleanup() {
    # shellcheck disable=SC2086
    [ -z "$added" ] || "${sudo[@]}" dpkg --purge $added >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }
# apt-get, showing only the lines that name a package; its whole output when it fails.
apt() {
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=120 "$@" >"$work/apt.log" 2>&1 \
        || { cat "$work/apt.log"; fail "apt-get $1"; }
    grep -E '^(Setting up|Unpacking|Removing|Purging) ' "$work/apt.log" || true
}

step "lintian"
lintian_status=0
lintian --fail-on error --display-info "$console_deb" "$agent_deb" >"$work/lintian" 2>&1 \
    || lintian_status=$?
grep -v '^running with root privileges' "$work/lintian" || true
[ "$lintian_status" = 0 ] || fail "lintian reports errors"
echo "no errors"

step "desktop entries"
mkdir "$work/console" "$work/agent"
dpkg-deb -x "$console_deb" "$work/console"
dpkg-deb -x "$agent_deb" "$work/agent"
desktop-file-validate "$work/console/usr/share/applications/kestrel.desktop"
desktop-file-validate "$work/agent/usr/share/kestrel-agent/kiosk/autostart.desktop"
echo "valid"

# Everything a package could leave on the system; dpkg's and apt's own books aside.
snapshot() {
    find /etc /opt /srv /usr /var/lib -xdev \( -path /var/lib/dpkg -o -path /var/lib/apt \
        -o -path /var/lib/systemd \) -prune -o -print | sort
}
packages() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '$1 ~ /^.i/ {print $2}' | sort; }

step "install"
# Installed, or removed with its configuration kept: either would hide what the check looks for.
for p in kestrel kestrel-agent; do
    ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q -E 'installed|config-files' \
        || fail "$p is on this machine already: purge it first (dpkg --purge $p)"
done
snapshot >"$work/files-before"
packages >"$work/packages-before"
apt install --no-install-recommends "$console_deb" "$agent_deb"
packages >"$work/packages-after"
added=$(comm -13 "$work/packages-before" "$work/packages-after" | tr '\n' ' ')
echo "installed: $added"

step "the installed programs"
kestrel --version
[ "$(kestrel --version)" = "Kestrel $(dpkg-query -W -f='${Version}' kestrel)" ] \
    || fail "kestrel --version does not give the package's version"
kestrel-agent --help | head -n 2
# The SQLite driver the package depends on: a demo store is created and refused again.
kestrel --init-db --demo --data-dir "$work/store" | grep -q "Base de datos creada" \
    || fail "kestrel --init-db"
# Started from /usr/bin without --data-dir, the console looks for its store in the user's data
# folder (and, with no screen to ask on, refuses with status 2 naming it).
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
set +e
HOME=$work/home XDG_DATA_HOME='' XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen \
    kestrel >"$work/first-run" 2>&1
status=$?
set -e
cat "$work/first-run"
[ "$status" = 2 ] && grep -q "$work/home/.local/share/kestrel/Database.mdb" "$work/first-run" \
    || fail "the installed console does not look in ~/.local/share/kestrel (status $status)"
# kestrel-kiosk on a copy of this system's user files.
kroot=$work/root
mkdir -p "$kroot/etc/lightdm" "$kroot/etc/kestrel"
cp /etc/passwd /etc/group /etc/shadow /etc/gshadow /etc/login.defs "$kroot/etc/"
cp /etc/kestrel/agent.conf "$kroot/etc/kestrel/"
"${sudo[@]}" env KESTREL_KIOSK_ROOT="$kroot" kestrel-kiosk enable --console 192.0.2.10
KESTREL_KIOSK_ROOT=$kroot kestrel-kiosk status
grep -q '^autologin-user=cliente$' "$kroot/etc/lightdm/lightdm.conf.d/50-kestrel-kiosk.conf" \
    && grep -q 'DontVTSwitch' "$kroot/etc/X11/xorg.conf.d/50-kestrel-kiosk.conf" \
    && grep -q '"cliente"' "$kroot/etc/polkit-1/rules.d/50-kestrel-kiosk.rules" \
    && [ -f "$kroot/home/cliente/.config/autostart/kestrel-agent.desktop" ] \
    && grep -q '^console=192.0.2.10$' "$kroot/etc/kestrel/agent.conf" \
    || fail "kestrel-kiosk enable did not write the kiosk files"
"${sudo[@]}" env KESTREL_KIOSK_ROOT="$kroot" kestrel-kiosk disable
left=$(find "$kroot/etc/lightdm" "$kroot/etc/X11" "$kroot/etc/polkit-1" "$kroot/home/cliente/.config" \
    "$kroot/var/lib/kestrel-agent" 2>/dev/null || true)
[ "$left" = "$kroot/etc/lightdm" ] || fail "kestrel-kiosk disable left: $left"

step "remove, then purge"
apt remove kestrel kestrel-agent
[ -f /etc/kestrel/agent.conf ] || fail "removing kestrel-agent took the station's file"
echo "kept after remove: /etc/kestrel/agent.conf"
# What the install brought in goes too, so that the machine is as it was. dpkg, since apt no
# longer knows a package that came from a file once it is removed.
# shellcheck disable=SC2086
"${sudo[@]}" dpkg --purge $added 2>&1 | grep -E '^(Removing|Purging) ' || true
added=
snapshot >"$work/files-after"
# The desktop's caches that the icon and menu triggers rebuild are not the packages' own.
diff "$work/files-before" "$work/files-after" \
    | grep -v -E '^[<>] /usr/share/(icons/hicolor/icon-theme\.cache|applications/mimeinfo\.cache)$' \
    | grep -E '^[<>]' >"$work/difference" || true
[ ! -s "$work/difference" ] || { cat "$work/difference"; fail "purging left the system changed"; }
for p in kestrel kestrel-agent; do
    ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q -E 'installed|config-files' \
        || fail "$p is still known to dpkg"
done
echo "nothing left behind"
printf '\npackages checked: %s %s\n' "$(basename "$console_deb")" "$(basename "$agent_deb")"
