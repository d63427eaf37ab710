# Sourced by scripts/test.sh: starts the services the tests use and stops them again.
# Each service runs detached (setsid), logs into $QUORVANE_SERVICES_DIR, picks its own port
# and is waited for; its log is printed when it does not come up. Outside CI a service that
# cannot start is reported and the tests that need it skip; in CI it is a failure.

service_pids=()

service_failed() {
    echo "services: $1" >&2
    if [ "${CI:-}" = "true" ]; then
        exit 1
    fi
}

start_services() {
    rm -rf "$QUORVANE_SERVICES_DIR"
    mkdir -p "$QUORVANE_SERVICES_DIR"
}

stop_services() {
    local pid
    for pid in "${service_pids[@]}"; do
        kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${service_pids[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL -- "-$pid" 2>/dev/null || true
    done
    service_pids=()
}
