#!/usr/bin/env bash
# Installs everything Wayload needs to build and test, from Debian's packages. Run as root.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# e2fsprogs and mount: the device flush test makes, loop-mounts, checks and reads ext4 images.
# xdotool, x11-utils and twm: the desktop tests drive the window program on an Xvfb display with
# and without a window manager. openbox is not installed here: through libimlib2 and libgs10 it
# brings fonts-urw-base35, whose aliases turn "Arial" into Nimbus Sans, under which the progress
# strip's text placement test fails; the desktop tests use openbox where it is installed and
# skip it elsewhere.
apt-get install -y -qq --no-install-recommends \
    ca-certificates cmake ninja-build g++ pkg-config \
    zlib1g-dev libcli11-dev nlohmann-json3-dev libgtest-dev libgmock-dev libftdi1-dev libblkid-dev \
    libudev-dev qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core \
    xvfb xauth xdotool x11-utils twm clang libclang-rt-14-dev e2fsprogs mount >/dev/null
