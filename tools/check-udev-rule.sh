#!/usr/bin/env bash
# Checks Wayload's udev rule with Debian's own udevadm: that udev reads rules from the folder the
# rule is installed in, and that the rule gives the logged-in user access (TAG uaccess) and keeps
# ModemManager away (ID_MM_DEVICE_IGNORE=1) for exactly the FTDI converters it names, both the USB
# device and its ttyUSB terminal. Each device is a fake sysfs tree seen by `udevadm test` in a
# private mount namespace with tmpfs over /sys, /dev and /run, so the machine is left as it was
# and needs no udev running or installed: udevadm is taken from Debian's udev package, downloaded
# with apt-get. Run as root.
#
#   tools/check-udev-rule.sh [RULE]    RULE defaults to /usr/lib/udev/rules.d/60-wayload.rules
set -euo pipefail

if [ "${1:-}" = --inside ]; then
    # In the namespace: udevadm, the rule, the vendor and product of the fake converter.
    shift
    udevadm=$1 rule=$2 vendor=$3 product=$4
    rules_dir=$(dirname "$rule")
    copy=$(mktemp)
    cp "$rule" "$copy"
    # Only this rule in its folder, so no other package's rules take part.
    mount -t tmpfs none "$rules_dir"
    cp "$copy" "$rule"
    mount -t tmpfs none /run
    mount -t tmpfs none /dev
    mount -t tmpfs none /sys
    mkdir -p /sys/bus/usb /sys/bus/usb-serial /sys/class/tty
    usb=/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1
    tty=$usb/1-1:1.0/ttyUSB0/tty/ttyUSB0
    mkdir -p "$tty"
    printf 'MAJOR=189\nMINOR=1\nDEVNAME=bus/usb/001/002\nDEVTYPE=usb_device\nPRODUCT=%x/%x/600\n' \
        "0x$vendor" "0x$product" >"$usb/uevent"
    echo "$vendor" >"$usb/idVendor"
    echo "$product" >"$usb/idProduct"
    ln -s ../../../../../bus/usb "$usb/subsystem"
    printf 'DEVTYPE=usb_interface\n' >"$usb/1-1:1.0/uevent"
    ln -s ../../../../../../bus/usb "$usb/1-1:1.0/subsystem"
    : >"$usb/1-1:1.0/ttyUSB0/uevent"
    ln -s ../../../../../../../bus/usb-serial "$usb/1-1:1.0/ttyUSB0/subsystem"
    printf 'MAJOR=188\nMINOR=0\nDEVNAME=ttyUSB0\n' >"$tty/uevent"
    ln -s ../../../../../../../../../class/tty "$tty/subsystem"
    # udevadm refuses a /sys that is not sysfs unless told otherwise.
    export SYSTEMD_DEVICE_VERIFY_SYSFS=0
    for device in "$usb" "$tty"; do
        echo "== $(basename "$device")"
        "$udevadm" test --action=add "$device" 2>&1
    done
    exit 0
fi

rule=${1:-/usr/lib/udev/rules.d/60-wayload.rules}
if [ "$(id -u)" != 0 ]; then
    echo "check-udev-rule.sh: run as root (it mounts in a private namespace)" >&2
    exit 1
fi
if [ ! -f "$rule" ]; then
    echo "check-udev-rule.sh: no rule at $rule" >&2
    exit 1
fi
rule=$(realpath -s "$rule")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# udevadm and the private library it links, of the versions Debian would install.
# (apt warns that it downloads as root rather than as _apt into a folder _apt cannot write.)
(cd "$work" && apt-get download -qq udev libsystemd-shared 2>&1 | grep -v unsandboxed >&2 || true)
for name in udev libsystemd-shared; do
    packages=("$work/${name}"_*.deb)
    if [ ! -f "${packages[0]}" ]; then
        echo "check-udev-rule.sh: apt-get download $name failed" >&2
        exit 1
    fi
    dpkg-deb -x "${packages[0]}" "$work/root"
done
udevadm="$work/root/bin/udevadm"
export LD_LIBRARY_PATH="$work/root/usr/lib/x86_64-linux-gnu/systemd:$work/root/lib/x86_64-linux-gnu/systemd"

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# The folders udev reads rules from are compiled into udevadm as strings.
rules_dir=$(dirname "$rule")
# (grep reads to the end: -q would stop early and fail the pipe.)
if tr '\0' '\n' <"$udevadm" | grep -xF "$rules_dir" >/dev/null; then
    echo "udev reads rules from $rules_dir"
else
    fail "Debian's udev does not read rules from $rules_dir (it reads:" \
        "$(tr '\0' '\n' <"$udevadm" | grep -E '^/.*/rules\.d$' | tr '\n' ' '))"
fi

# The product ids the rule names for the USB device and for the tty; both lines must agree.
mapfile -t id_lists < <(grep -oE 'ATTRS\{idProduct\}=="[^"]*"' "$rule" | cut -d'"' -f2 | sort -u)
if [ ${#id_lists[@]} -ne 1 ]; then
    fail "the rule's lines name different product ids: ${id_lists[*]}"
fi
IFS='|' read -r -a products <<<"${id_lists[0]}"

# vendor product expected: "yes" when the rule must take the converter, "no" when it must not.
cases=()
for product in "${products[@]}"; do cases+=("0403 $product yes"); done
# A product id of FTDI's the program does not open, and another maker's converter.
cases+=("0403 6002 no" "067b 2303 no")
for entry in "${cases[@]}"; do
    read -r vendor product expected <<<"$entry"
    output=$(unshare -m bash "$0" --inside "$udevadm" "$rule" "$vendor" "$product")
    if ! grep -qxF "Reading rules file: $rule" <<<"$output"; then
        fail "$vendor:$product: udevadm did not read $rule"$'\n'"$output"
        continue
    fi
    if grep -qiE 'invalid|error|failed to parse' <<<"$output"; then
        fail "$vendor:$product: udevadm complained"$'\n'"$output"
    fi
    for device in 1-1 ttyUSB0; do
        section=$(awk -v d="== $device" '$0 == d {on = 1; next} /^== / {on = 0} on' <<<"$output")
        tagged=no
        if grep -qx 'TAGS=.*:uaccess:.*' <<<"$section" &&
            grep -qx 'ID_MM_DEVICE_IGNORE=1' <<<"$section"; then
            tagged=yes
        fi
        if [ "$tagged" = "$expected" ]; then
            echo "  $vendor:$product $device: uaccess and ModemManager ignore: $tagged"
        else
            fail "$vendor:$product $device: uaccess and ModemManager ignore $tagged, want $expected"$'\n'"$section"
        fi
    done
done

if [ "$failed" != 0 ]; then
    exit 1
fi
echo "The udev rule takes exactly the converters it names: ${products[*]}"
