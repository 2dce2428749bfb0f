#!/usr/bin/env bash
# Installs the browsers the end-to-end tests drag images out of
# (e2e_packages in packages.sh; "setup.sh test" installs the virtual X server
# and the pointer driver). A browser that cannot be installed is reported
# here, and its tests are skipped.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/packages.sh"

for browser in "${e2e_packages[@]}"; do
  "$root/scripts/install-packages.sh" "$browser" ||
    echo "Cannot install $browser: its end-to-end tests will be skipped." >&2
done
