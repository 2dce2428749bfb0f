#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh" test
"$root/scripts/setup-e2e.sh"
cd "${KELVO_BUILD_DIR:-$root/build}"
ctest --no-tests=error --output-on-failure -j "$(nproc)"
