#!/usr/bin/env bash
# A fresh machine's first command: installs the dependencies, builds, and runs the main job on the
# demo instruments. With a display that is the window program (close it to end); without one the
# same job runs through wayload-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting the window program on the demo analyzer (TKB_DEMO)."
    exec build/gui/wayload --demo
fi

echo "No display: running the same job through wayload-cli --demo."
cli=build/cli/wayload-cli
out=build/demo
mkdir -p "$out"
echo "== the demo analyzer's routes and measured data into an export file"
"$cli" --demo --yes download --select "North hall fans" "Cooling pumps" \
    "North hall fans 2026-12-09" "Cooling pumps 2026-12-10" "$out/day.rdx"
"$cli" list "$out/day.rdx"
echo "== a route file from the PC into the demo analyzer"
"$cli" pack --type 1 "$out/routes.rdi" samples/R1
"$cli" --demo --yes upload "$out/routes.rdi"
echo "== the simulated serial instrument: its data out, a route in"
"$cli" --demo --serial --yes download "$out/pellix.rvx"
"$cli" list "$out/pellix.rvx"
"$cli" --demo --serial --yes upload "$out/pellix.rvx"
