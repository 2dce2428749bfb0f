#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest: first
# the quick ones, which stop at the first failure, then the slow ones (the
# browsers, the fuzzing, the sanitizer build and the Debian package).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh" test
"$root/scripts/setup-e2e.sh"
cd "${KELVO_BUILD_DIR:-$root/build}"
slow='^(e2e|fuzz|sanitize|package)$'
ctest --no-tests=error --output-on-failure -j "$(nproc)" --stop-on-failure -LE "$slow"
ctest --no-tests=error --output-on-failure -j "$(nproc)" -L "$slow"
