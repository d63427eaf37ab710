# Sourced by scripts/test.sh: starts the services the tests use and stops them again.
# Each service runs detached (setsid), logs into $QUORVANE_SERVICES_DIR, picks its own port
# and is waited for; its log is printed when it does not come up. Outside CI a service that
# cannot start is reported and the tests that need it skip; in CI it is a failure.

service_pids=()
services_source=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

service_failed() {
    echo "services: $1" >&2
    if [ "${CI:-}" = "true" ]; then
        exit 1
    fi
}

start_services() {
    rm -rf "$QUORVANE_SERVICES_DIR"
    mkdir -p "$QUORVANE_SERVICES_DIR"
    register_odbc_drivers
    start_mariadb
    start_postgres
    start_tds_server
    start_smtp_server
}

# --- ODBC drivers -------------------------------------------------------------------------
# A private odbcinst.ini naming Debian's driver libraries by full path; ODBCSYSINI makes
# unixODBC read it (and odbc.ini) from that folder only. The machine's /etc is not touched.
register_odbc_drivers() {
    local dir="$QUORVANE_SERVICES_DIR/odbc" libdir="" candidate
    for candidate in /usr/lib/*/odbc /usr/lib/odbc /usr/lib64/odbc; do
        if [ -d "$candidate" ]; then
            libdir=$candidate
            break
        fi
    done
    mkdir -p "$dir"
    : >"$dir/odbc.ini"
    : >"$dir/odbcinst.ini"
    if [ -z "$libdir" ]; then
        service_failed "no ODBC driver folder found (install tdsodbc, odbc-mariadb, odbc-mdbtools, odbc-postgresql, libsqliteodbc)"
    else
        local entry name lib
        for entry in "FreeTDS:libtdsodbc.so" "MariaDB Unicode:libmaodbc.so" "MDBTools:libmdbodbcW.so" \
                "PostgreSQL Unicode:psqlodbcw.so" "PostgreSQL ANSI:psqlodbca.so" "SQLite3:libsqlite3odbc.so"; do
            name=${entry%%:*}
            lib=${entry#*:}
            if [ -f "$libdir/$lib" ]; then
                # DontDLClose: a driver stays loaded, so a sanitizer's leak report still names
                # its library when the program ends.
                printf '[%s]\nDriver=%s\nUsageCount=1\nDontDLClose=1\n\n' "$name" "$libdir/$lib" \
                    >>"$dir/odbcinst.ini"
            else
                service_failed "ODBC driver $name is missing: $libdir/$lib"
            fi
        done
    fi
    export ODBCSYSINI="$dir"
}

# --- MariaDB --------------------------------------------------------------------------------
# A private server in $QUORVANE_SERVICES_DIR/mariadb on a free loopback port, with a test user
# (for 127.0.0.1 and localhost) that may do everything. Exports QUORVANE_MARIADB_PORT, _USER,
# _PASSWORD and _SOCKET; leaves them unset when the server does not come up.
start_mariadb() {
    local dir="$QUORVANE_SERVICES_DIR/mariadb"
    local data="$dir/data" log="$dir/mariadbd.log" sock="$dir/mariadbd.sock"
    local tool
    for tool in mariadb-install-db mariadbd mariadb-admin mariadb; do
        if ! command -v "$tool" >/dev/null && [ ! -x "/usr/sbin/$tool" ]; then
            service_failed "MariaDB is not installed ($tool missing): the MariaDB tests skip"
            return 0
        fi
    done
    mkdir -p "$dir"
    # A Unix socket path must stay short (about 107 bytes).
    if [ ${#sock} -gt 100 ]; then
        sock=$(mktemp -d /tmp/quorvane-mariadb-XXXXXX)/mariadbd.sock
    fi
    if ! mariadb-install-db --no-defaults --datadir="$data" --user=root \
            --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1; then
        cat "$dir/install.log" >&2
        service_failed "mariadb-install-db failed: the MariaDB tests skip"
        return 0
    fi

    local mariadbd port attempt pid up
    mariadbd=$(command -v mariadbd || echo /usr/sbin/mariadbd)
    for attempt in 1 2 3 4 5; do
        port=$(free_loopback_port)
        : >"$log"
        setsid "$mariadbd" --no-defaults --datadir="$data" --socket="$sock" --port="$port" \
            --bind-address=127.0.0.1 --user=root --pid-file="$dir/mariadbd.pid" \
            --log-error="$log" --skip-name-resolve --character-set-server=utf8mb4 \
            --collation-server=utf8mb4_general_ci --max-allowed-packet=64M \
            </dev/null >>"$log" 2>&1 &
        pid=$!
        up=""
        if await_service "$pid" mariadb-admin --no-defaults --socket="$sock" --user=root \
                --connect-timeout=2 ping; then
            up=yes
            break
        fi
        # Another program took the port between the choice and the bind: try another one.
        if grep -qiE "Address already in use|Bind on TCP/IP port" "$log"; then
            echo "services: MariaDB port $port was taken, trying another (attempt $attempt)" >&2
            continue
        fi
        break
    done
    if [ -z "$up" ]; then
        echo "services: MariaDB log ($log):" >&2
        cat "$log" >&2
        service_failed "MariaDB did not start: the MariaDB tests skip"
        return 0
    fi
    service_pids+=("$pid")

    local user=quorvane password="Qv-test-$$-$RANDOM"
    if ! mariadb --no-defaults --socket="$sock" --user=root >"$dir/setup.log" 2>&1 <<SQL
CREATE USER '$user'@'127.0.0.1' IDENTIFIED BY '$password';
CREATE USER '$user'@'localhost' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON *.* TO '$user'@'127.0.0.1' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO '$user'@'localhost' WITH GRANT OPTION;
CREATE DATABASE quorvane CHARACTER SET utf8mb4;
SQL
    then
        cat "$dir/setup.log" >&2
        service_failed "MariaDB test user could not be created: the MariaDB tests skip"
        return 0
    fi
    export QUORVANE_MARIADB_PORT="$port" QUORVANE_MARIADB_USER="$user"
    export QUORVANE_MARIADB_PASSWORD="$password" QUORVANE_MARIADB_SOCKET="$sock"
    echo "services: MariaDB on 127.0.0.1:$port (log $log)"
}

# --- PostgreSQL -----------------------------------------------------------------------------
# A private cluster in $QUORVANE_SERVICES_DIR/postgres on a free loopback port. initdb and
# postgres refuse to run as root: they run as the postgres user the package creates, in a
# folder it owns. Logins over TCP need a password (so a wrong one is refused); the socket in
# the same folder trusts the local superuser for the set-up. Exports QUORVANE_POSTGRES_PORT,
# _USER and _PASSWORD; leaves them unset when the server does not come up.
start_postgres() {
    local dir="$QUORVANE_SERVICES_DIR/postgres"
    local data="$dir/data" log="$dir/postgres.log" sock="$dir" bin
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$bin" ] || [ ! -x "$bin/initdb" ] || [ ! -x "$bin/postgres" ] || ! id postgres >/dev/null 2>&1; then
        service_failed "PostgreSQL is not installed (package postgresql): the PostgreSQL tests skip"
        return 0
    fi
    mkdir -p "$dir"
    # A Unix socket path must stay short (about 107 bytes).
    if [ ${#sock} -gt 80 ]; then
        sock=$(mktemp -d /tmp/quorvane-postgres-XXXXXX)
        chown postgres: "$sock"
    fi
    chown postgres: "$dir"
    if ! runuser -u postgres -- "$bin/initdb" -D "$data" -U postgres --auth-local=trust \
            --auth-host=scram-sha-256 --encoding=UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2
        service_failed "initdb failed: the PostgreSQL tests skip"
        return 0
    fi

    local port attempt pid up
    for attempt in 1 2 3 4 5; do
        port=$(free_loopback_port)
        runuser -u postgres -- sh -c ': >"$1"' sh "$log"
        setsid runuser -u postgres -- "$bin/postgres" -D "$data" -p "$port" \
            -c listen_addresses=127.0.0.1 -c unix_socket_directories="$sock" -c fsync=off \
            -c synchronous_commit=off -c full_page_writes=off </dev/null >>"$log" 2>&1 &
        pid=$!
        up=""
        if await_service "$pid" "$bin/pg_isready" -q -h "$sock" -p "$port" -t 2; then
            up=yes
            break
        fi
        if grep -qi "Address already in use" "$log"; then
            echo "services: PostgreSQL port $port was taken, trying another (attempt $attempt)" >&2
            continue
        fi
        break
    done
    if [ -z "$up" ]; then
        echo "services: PostgreSQL log ($log):" >&2
        cat "$log" "$dir/initdb.log" >&2
        service_failed "PostgreSQL did not start: the PostgreSQL tests skip"
        return 0
    fi
    service_pids+=("$pid")

    local user=quorvane password="Qv-pg-$$-$RANDOM"
    if ! runuser -u postgres -- "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$sock" -p "$port" -U postgres \
            -d postgres >"$dir/setup.log" 2>&1 <<SQL
CREATE ROLE $user LOGIN SUPERUSER PASSWORD '$password';
CREATE DATABASE quorvane OWNER $user ENCODING 'UTF8';
SQL
    then
        cat "$dir/setup.log" >&2
        service_failed "PostgreSQL test user could not be created: the PostgreSQL tests skip"
        return 0
    fi
    export QUORVANE_POSTGRES_PORT="$port" QUORVANE_POSTGRES_USER="$user" QUORVANE_POSTGRES_PASSWORD="$password"
    echo "services: PostgreSQL on 127.0.0.1:$port (log $log)"
}

# --- SQL Server (TDS) test server ------------------------------------------------------------
# Our own loopback stand-in for SQL Server (tests/support/tds), on a port it picks itself and
# writes to a file once it listens. Exports QUORVANE_TDS_PORT, _USER, _PASSWORD, _DATABASE and
# _CONFIG. Tests that change the server's configuration start a private one instead.
start_tds_server() {
    local dir="$QUORVANE_SERVICES_DIR/tds"
    local server="$services_source/tds/tds_server.py" port
    mkdir -p "$dir"
    if [ ! -x /usr/bin/python3 ]; then
        service_failed "Debian's /usr/bin/python3 is missing: the SQL Server tests skip"
        return 0
    fi
    local password="Tds-$$-$RANDOM"
    cat >"$dir/config.json" <<JSON
{"server_name": "QUORVANE-TDS", "default_database": "quorvane",
 "users": {"quorvane": "$password"}, "databases": {"quorvane_other": "$dir/other.sqlite"},
 "procedures": {}, "locks": []}
JSON
    setsid /usr/bin/python3 "$server" --port 0 --port-file "$dir/port" --db "$dir/quorvane.sqlite" \
        --config "$dir/config.json" --log "$dir/server.log" </dev/null >"$dir/stderr.log" 2>&1 &
    service_pids+=("$!")
    port=$(port_from_file "$!" "$dir/port")
    if [ -z "$port" ]; then
        echo "services: SQL Server test server output:" >&2
        cat "$dir/stderr.log" "$dir/server.log" >&2 2>/dev/null
        service_failed "the SQL Server test server did not start: the SQL Server tests skip"
        return 0
    fi
    export QUORVANE_TDS_PORT="$port" QUORVANE_TDS_USER=quorvane QUORVANE_TDS_PASSWORD="$password"
    export QUORVANE_TDS_DATABASE=quorvane QUORVANE_TDS_CONFIG="$dir/config.json"
    echo "services: SQL Server test server on 127.0.0.1:$port (log $dir/server.log)"
}

# --- SMTP server --------------------------------------------------------------------------------
# Debian's aiosmtpd (tests/support/smtp) on a loopback port it picks itself, keeping each message
# it accepts as a JSON file in the spool folder. Exports QUORVANE_SMTP_PORT and _SPOOL.
start_smtp_server() {
    local dir="$QUORVANE_SERVICES_DIR/smtp" port
    mkdir -p "$dir/spool"
    if ! /usr/bin/python3 -c "import aiosmtpd" 2>/dev/null; then
        service_failed "aiosmtpd is missing (python3-aiosmtpd): the mail tests skip"
        return 0
    fi
    setsid /usr/bin/python3 "$services_source/smtp/smtp_server.py" --port-file "$dir/port" \
        --spool "$dir/spool" --log "$dir/server.log" </dev/null >"$dir/stderr.log" 2>&1 &
    service_pids+=("$!")
    port=$(port_from_file "$!" "$dir/port")
    if [ -z "$port" ] || ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        echo "services: SMTP server output:" >&2
        cat "$dir/stderr.log" "$dir/server.log" >&2 2>/dev/null
        service_failed "the SMTP server did not start: the mail tests skip"
        return 0
    fi
    export QUORVANE_SMTP_PORT="$port" QUORVANE_SMTP_SPOOL="$dir/spool"
    echo "services: SMTP server on 127.0.0.1:$port (log $dir/server.log)"
}

# The port a service writes to its port file once it listens; nothing when the service ends
# first or twenty seconds pass.
port_from_file() {
    local pid=$1 file=$2
    for _ in $(seq 200); do
        if [ -s "$file" ]; then
            cat "$file"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
}

# Waits up to 30 s for the service started as PID to answer the readiness command given after
# it; when it does not, stops what is left of it. Succeeds when the service answered.
await_service() {
    local pid=$1
    shift
    for _ in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || break
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    return 1
}

# A loopback TCP port that nothing listens on right now.
free_loopback_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
    echo $((20000 + RANDOM % 40000))
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
