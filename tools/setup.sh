#!/usr/bin/env bash
# A fresh machine's first command: installs the dependencies, builds, and runs the main job:
# packing the sample route and data folders into a container and listing it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh
build/cli/wayload-cli pack build/sample.rdx samples/R1 samples/D1
build/cli/wayload-cli list build/sample.rdx
