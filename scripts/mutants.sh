#!/usr/bin/env bash
# The mutation check (scripts/mutants.py): starts the test services once, then applies each
# one-line fault of the table, rebuilds and runs the test programs it reaches. Slow (a build
# and a test run per fault); run it before and after a change to the tests and compare the
# caught counts. Arguments go to mutants.py (ids, or --check).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export LC_ALL=C.UTF-8 LANG=C.UTF-8
if [ "${1:-}" = "--check" ]; then
    exec python3 "$root/scripts/mutants.py" "$@"
fi
export QUORVANE_SERVICES_DIR="$root/build/services"
# shellcheck source=../tests/support/services.sh
source "$root/tests/support/services.sh"
trap stop_services EXIT
start_services
python3 "$root/scripts/mutants.py" "$@"
