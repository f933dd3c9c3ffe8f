#!/usr/bin/env bash
# Checks the Debian package as an operator's machine gets it: its control fields and file list,
# the menu entry and metainfo validated, the man pages rendered without a warning, the binaries
# stripped and one version throughout; then installs it with apt-get, runs the installed programs,
# checks the udev rule with udev itself (tools/check-udev-rule.sh) and removes the package again.
# Run as root, on a machine where wayload is not installed.
#
#   tools/check-package.sh [PACKAGE]    PACKAGE defaults to build-release/wayload_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
source_root=$(pwd)

if [ $# -gt 0 ]; then
    deb=$(realpath "$1")
else
    packages=(build-release/wayload_*.deb)
    if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
        echo "check-package.sh: no single build-release/wayload_*.deb; run tools/package.sh" >&2
        exit 1
    fi
    deb=$(realpath "${packages[0]}")
fi
if [ "$(id -u)" != 0 ]; then
    echo "check-package.sh: run as root (it installs and removes the package)" >&2
    exit 1
fi
if dpkg-query -W -f='${Status}' wayload 2>/dev/null | grep -q 'ok installed'; then
    echo "check-package.sh: wayload is installed already; remove it first (apt-get remove wayload)" >&2
    exit 1
fi

work=$(mktemp -d)
pids=()
installed=no
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ "$installed" = yes ]; then
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq wayload >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

echo "== $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
dpkg-deb -f "$deb" Package Version Architecture Section Maintainer Installed-Size Depends Recommends
version=$(dpkg-deb -f "$deb" Version)
for field in Maintainer Section Description Depends; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the control file has no $field"
done
[ "$(basename "$deb")" = "wayload_${version}_amd64.deb" ] ||
    fail "the package is named $(basename "$deb"), not wayload_${version}_amd64.deb"

echo "== file list"
# Every file below /usr as packaging/installed-files.txt lists it, and nothing else.
grep -v '^#' packaging/installed-files.txt | sed 's|^|usr/|' | sort >"$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort >"$work/packaged"
if ! diff -u "$work/expected" "$work/packaged" >"$work/list.diff"; then
    fail "the package's files differ from packaging/installed-files.txt (- missing, + extra):"
    cat "$work/list.diff" >&2
fi
echo "$(wc -l <"$work/packaged") files as listed in packaging/installed-files.txt"

tree="$work/tree"
dpkg-deb -x "$deb" "$tree"

echo "== desktop-file-validate"
desktop="$tree/usr/share/applications/io.wayload.Wayload.desktop"
# Hints and warnings count too: the entry must pass without a word.
if ! output=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$output" ]; then
    fail "desktop-file-validate: $output"
else
    echo "clean"
fi

echo "== appstreamcli validate --no-net"
metainfo="$tree/usr/share/metainfo/io.wayload.Wayload.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"

echo "== man --warnings"
for page in "$tree"/usr/share/man/man1/*.1; do
    # At the width of a terminal and of a narrower one.
    for width in 80 60; do
        if ! MANWIDTH=$width man --warnings -l "$page" >/dev/null 2>"$work/man.err" ||
            [ -s "$work/man.err" ]; then
            fail "$(basename "$page") at $width columns: $(cat "$work/man.err")"
        fi
    done
    grep -qF "\"wayload $version\"" "$page" || fail "$(basename "$page") does not say version $version"
    echo "$(basename "$page"): clean"
done

echo "== stripped binaries"
for binary in usr/bin/wayload usr/bin/wayload-cli usr/libexec/wayload/wayload-instrument-sim; do
    description=$(file -b "$tree/$binary")
    case "$description" in
        *ELF*", stripped"*) echo "$binary: $(du -k "$tree/$binary" | cut -f1) KiB, stripped" ;;
        *) fail "$binary is not a stripped ELF program: $description" ;;
    esac
done

echo "== apt-get install ./$(basename "$deb")"
installed=yes
(cd "$(dirname "$deb")" &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$(basename "$deb")" >"$work/apt.log" 2>&1) ||
    { cat "$work/apt.log" >&2; fail "apt-get install"; exit 1; }
dpkg -L wayload | sort >"$work/dpkg-files"
while read -r path; do
    grep -qxF "/$path" "$work/dpkg-files" || fail "dpkg -L wayload lacks /$path"
done <"$work/expected"

# The installed programs as a user runs them, in a home of their own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$TMPDIR"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
printf '[Settings]\nLanguage=eng.lng\n' >"$XDG_CONFIG_HOME/wayload.ini"

echo "== the installed wayload-cli"
[ "$(command -v wayload-cli)" = /usr/bin/wayload-cli ] || fail "wayload-cli is not /usr/bin/wayload-cli"
[ "$(wayload-cli --version)" = "wayload-cli $version" ] || fail "wayload-cli --version: $(wayload-cli --version)"
(cd "$work" && wayload-cli --demo --yes download OUT.rdx) || fail "wayload-cli --demo --yes download OUT.rdx"
wayload-cli list "$work/OUT.rdx" || fail "wayload-cli list OUT.rdx"

echo "== the installed simulator, through a pseudo-terminal"
/usr/libexec/wayload/wayload-instrument-sim --link "$work/sim-port" >/dev/null &
simulator=$!
pids+=("$simulator")
for _ in $(seq 50); do [ -e "$work/sim-port" ] && break; sleep 0.1; done
(cd "$work" && wayload-cli --port "$work/sim-port" --serial --yes download serial.rvx) ||
    fail "wayload-cli --serial download from the simulator"
kill "$simulator"
wait "$simulator" || true

echo "== the installed wayload, offscreen"
[ "$(QT_QPA_PLATFORM=offscreen wayload --version)" = "wayload $version" ] ||
    fail "wayload --version: $(QT_QPA_PLATFORM=offscreen wayload --version)"
QT_QPA_PLATFORM=offscreen wayload >"$work/wayload.log" 2>&1 &
window=$!
pids+=("$window")
sleep 2
if kill -0 "$window" 2>/dev/null; then
    echo "still running after 2 s"
    kill "$window"
else
    fail "wayload ended within 2 s: $(cat "$work/wayload.log")"
fi

echo "== the installed udev rule"
bash "$source_root/tools/check-udev-rule.sh" /usr/lib/udev/rules.d/60-wayload.rules ||
    fail "the udev rule"

echo "== apt-get remove wayload"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq wayload >/dev/null
installed=no
for path in /usr/bin/wayload /usr/bin/wayload-cli /usr/lib/udev/rules.d/60-wayload.rules; do
    [ ! -e "$path" ] || fail "$path is left after the removal"
done

if [ "$failed" != 0 ]; then
    echo "The package has faults (above)." >&2
    exit 1
fi
echo "The package is complete, installs, runs and goes again."
