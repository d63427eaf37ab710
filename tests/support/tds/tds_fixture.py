"""Starts and stops tds_server.py for Python tests (pyodbc + FreeTDS ODBC driver)."""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "tds_server.py")
PYTHON = "/usr/bin/python3"
FREETDS_DRIVER = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"

DEFAULT_CONFIG = {
    "server_name": "QUORVANE-TDS",
    "default_database": "quorvane",
    "users": {"tester": "s3cret!"},
    "databases": {},
    "procedures": {},
    "locks": [],
}


class TdsServer:
    """One server process with its own temp dir, SQLite file and config.

    Use as a context manager, or call start() and stop()."""

    def __init__(self, config=None, start_timeout=20.0):
        self.dir = tempfile.mkdtemp(prefix="tds-test-")
        self.db_path = os.path.join(self.dir, "default.sqlite")
        self.config_path = os.path.join(self.dir, "config.json")
        self.port_file = os.path.join(self.dir, "port")
        self.log_path = os.path.join(self.dir, "server.log")
        self.config = json.loads(json.dumps(DEFAULT_CONFIG))
        if config:
            self.config.update(config)
        self.start_timeout = start_timeout
        self.proc = None
        self.port = None
        self.write_config()

    def write_config(self, **changes):
        self.config.update(changes)
        tmp = self.config_path + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump(self.config, f)
        os.replace(tmp, self.config_path)

    def log_text(self):
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def start(self):
        self.proc = subprocess.Popen(
            [PYTHON, SERVER, "--port", "0", "--port-file", self.port_file, "--db", self.db_path,
             "--config", self.config_path, "--log", self.log_path],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + self.start_timeout
        while time.monotonic() < deadline:
            if os.path.exists(self.port_file):
                with open(self.port_file) as f:
                    self.port = int(f.read().strip())
                return self
            if self.proc.poll() is not None:
                break
            time.sleep(0.05)
        err = self.proc.stderr.read().decode(errors="replace") if self.proc.poll() is not None else ""
        self.stop()
        raise RuntimeError("TDS test server did not start.\nstderr:\n%s\nlog:\n%s" % (err, self.log_text()))

    def stop(self):
        """SIGTERM, then SIGKILL after 10 s; returns the exit code (None if not running)."""
        code = None
        if self.proc is not None:
            if self.proc.poll() is None:
                self.proc.send_signal(signal.SIGTERM)
                try:
                    self.proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    self.proc.kill()
                    self.proc.wait(timeout=10)
            code = self.proc.returncode
            if self.proc.stderr:
                self.proc.stderr.close()
        self.proc = None
        return code

    def cleanup(self):
        self.stop()
        shutil.rmtree(self.dir, ignore_errors=True)

    def connection_string(self, user="tester", password=None, database=None):
        if password is None:
            password = self.config["users"].get(user, "")
        if database is None:
            database = self.config.get("default_database", "master")
        return ("Driver=%s;Server=127.0.0.1;Port=%d;Database=%s;UID=%s;PWD=%s;TDS_Version=7.4;"
                "ClientCharset=UTF-8" % (FREETDS_DRIVER, self.port, database, user, password))

    def connect(self, autocommit=True, **kw):
        import pyodbc
        return pyodbc.connect(self.connection_string(**kw), autocommit=autocommit, timeout=15)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.cleanup()
        return False
