#!/usr/bin/env bash
# Builds the Debian package: a Release build for the prefix /usr in build-release/, packed there by
# cpack (stripped, Depends computed by dpkg-shlibdeps). Prints the package's path as its last line.
# As root it first installs the packaging tools it lacks: dpkg-dev and file for cpack, and
# desktop-file-utils, appstream and man-db for tools/check-package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for package in dpkg-dev file desktop-file-utils appstream man-db; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "missing: ${missing[*]} (apt-get install ${missing[*]})" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# The tests are built and run in build/; the package needs only the programs.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DWAYLOAD_TESTS=OFF >/dev/null
cmake --build build-release
rm -f build-release/wayload_*.deb
(cd build-release && cpack -G DEB)

packages=(build-release/wayload_*.deb)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
    echo "package.sh: cpack made no single wayload_*.deb in build-release/" >&2
    exit 1
fi
realpath "${packages[0]}"
