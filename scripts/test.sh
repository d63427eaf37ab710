#!/usr/bin/env bash
# Sets up, builds and runs every test: installs what is missing, builds (clean in CI),
# starts the services the tests use, runs ctest and stops the services again.
#
# With QUORVANE_SANITIZERS=1 (the default under CI=true) the same suite runs a second time,
# built by clang with AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitizers/),
# together with the fuzz targets, each bounded to QUORVANE_FUZZ_SECONDS (30 by default), on
# freshly started services. QUORVANE_SANITIZERS=0 leaves it out. Arguments go to both ctest
# runs (-R name).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export LC_ALL=C.UTF-8 LANG=C.UTF-8

if [ "${CI:-}" = "true" ]; then
    sanitizers=${QUORVANE_SANITIZERS:-1}
else
    sanitizers=${QUORVANE_SANITIZERS:-0}
fi

"$root/scripts/setup.sh"
if [ "${CI:-}" = "true" ]; then
    rm -rf "$root/build" "$root/build-sanitizers"
fi
"$root/scripts/build.sh"
if [ "$sanitizers" = 1 ]; then
    "$root/scripts/build.sh" --sanitizers
fi

# Services run from a private folder, detached from this output, and stop on exit.
export QUORVANE_SERVICES_DIR="$root/build/services"
# shellcheck source=../tests/support/services.sh
source "$root/tests/support/services.sh"
trap stop_services EXIT
start_services

status=0
ctest --test-dir "$root/build" --output-on-failure --timeout 600 --parallel "$(nproc)" "$@" || status=$?

if [ "$sanitizers" = 1 ]; then
    echo "test: the sanitizer build"
    # Fresh servers: the first run's tables and sessions must not meet the second's.
    stop_services
    start_services
    # Any report ends the program that made it; leaks inside third-party drivers are
    # suppressed by library name (tests/support/lsan.supp says why, with the measurement).
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_odr_violation=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0" \
        ctest --test-dir "$root/build-sanitizers" --output-on-failure --timeout 900 --parallel "$(nproc)" "$@" ||
        status=$?
fi
exit "$status"
