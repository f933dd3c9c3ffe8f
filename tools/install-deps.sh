#!/usr/bin/env bash
# Installs everything Wayload needs to build and test, from Debian's packages. Run as root.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# e2fsprogs and mount: the device flush test makes, loop-mounts, checks and reads ext4 images.
# qt6-translations-l10n: Qt's own texts (message box buttons, file dialogs) in the chosen language.
# xdotool, x11-utils, openbox and twm: the desktop tests drive the window program on an Xvfb
# display without a window manager and under two of them.
# dpkg-dev and file: cpack makes the Debian package with them (dpkg-shlibdeps computes its
# Depends); desktop-file-utils, appstream and man-db: tools/check-package.sh validates the menu
# entry and the metainfo and renders the man pages.
apt-get install -y -qq --no-install-recommends \
    ca-certificates cmake ninja-build g++ pkg-config \
    zlib1g-dev libcli11-dev nlohmann-json3-dev libgtest-dev libgmock-dev libftdi1-dev libblkid-dev \
    libudev-dev qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev \
    fonts-dejavu-core \
    xvfb xauth xdotool x11-utils openbox twm clang libclang-rt-14-dev e2fsprogs mount \
    dpkg-dev file desktop-file-utils appstream man-db >/dev/null
