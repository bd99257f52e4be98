#!/usr/bin/env bash
# Builds the Debian package build/packages/kalvora-envio_VERSION_ARCH.deb in the ordinary
# build/ tree (only the programs and their pages; nothing is compiled that ./test.sh has
# already built) and checks it with lintian, which must find no errors.
#   scripts/package.sh           build the package
#   scripts/package.sh --check   then also unpack it into a scratch root and check it
#                                (scripts/check_package.sh; ./test.sh runs this)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

case "${1:-}" in
"" | --check) ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 64
    ;;
esac

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs really need.
PACKAGES+=(dpkg-dev file lintian)
install_packages
build_targets build "" kalvora-installation

say "Packaging with CPack"
rm -f build/packages/kalvora-envio_*.deb
if ! (cd build && cpack -G DEB >packages.log 2>&1); then
    cat build/packages.log >&2
    exit 1
fi
deb=$(ls build/packages/kalvora-envio_*.deb)

say "lintian $deb"
# lintian warns when run as root, which CI is; errors fail the script.
lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2)
echo "Built: $deb"

if [ "${1:-}" = --check ]; then
    scripts/check_package.sh "$deb"
fi
