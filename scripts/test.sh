#!/usr/bin/env bash
# Sets up, builds and runs every test: installs what is missing, builds (clean in CI),
# starts the services the tests use, runs ctest and stops the services again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export LC_ALL=C.UTF-8 LANG=C.UTF-8

"$root/scripts/setup.sh"
if [ "${CI:-}" = "true" ]; then
    rm -rf "$root/build"
fi
"$root/scripts/build.sh"

# Services run from a private folder, detached from this output, and stop on exit.
export QUORVANE_SERVICES_DIR="$root/build/services"
# shellcheck source=../tests/support/services.sh
source "$root/tests/support/services.sh"
trap stop_services EXIT
start_services

ctest --test-dir "$root/build" --output-on-failure --timeout 600 --parallel "$(nproc)" "$@"
