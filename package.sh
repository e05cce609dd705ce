#!/usr/bin/env bash
# Builds the Debian packages kestrel and kestrel-agent into dist/ (a release build in
# build-pkg/, installed under /usr). On a fresh Debian 12 machine it first installs what is
# missing.
#   ./package.sh           the two .deb files
#   ./package.sh --check   then checks them: lintian, the menu entry, and installing, running,
#                          removing and purging both on this machine (needs root or sudo)
set -euo pipefail
cd "$(dirname "$0")"
check=0
case "${1:-}" in
    "") ;;
    --check) check=1 ;;
    *) echo "uso: ./package.sh [--check]" >&2; exit 1 ;;
esac
source tools/deps.sh

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs need; rsvg-convert draws
# the menu icon's pictures; lintian and desktop-file-validate check the result.
kestrel_ensure_packages "${kestrel_packages[@]}" dpkg-dev file librsvg2-bin \
    lintian desktop-file-utils

# Debian's hardening flags (fortified functions, stack protector, full RELRO, bind now); the
# debugging information is left out, since the programs are stripped anyway. Given on the command
# line, not in the environment, so that a build folder made earlier takes them too.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS | sed 's/-g //') $(dpkg-buildflags --get CPPFLAGS)"
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKESTREL_BUILD_TESTS=OFF -DKESTREL_BUILD_DEV_TOOLS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-pkg -j2
rm -rf dist
(cd build-pkg && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
ls -l dist/*.deb

if [ "$check" = 1 ]; then
    packaging/check-packages.sh dist/kestrel_*.deb dist/kestrel-agent_*.deb
fi
