#!/usr/bin/python3
"""Loopback SMTP server for the tests: Debian's aiosmtpd, keeping every message it accepts.

Each message becomes one JSON file in the spool folder, written whole (temp file, then
rename): the HELO name, the envelope addresses and the raw DATA bytes (base64), so that a
test can assert the exact header lines and body the client sent.

aiosmtpd's controller cannot bind port 0, so the server picks a free port itself and tries
another when that one is taken meanwhile. The port is written to --port-file once the server
answers. Runs until SIGTERM or SIGINT.
"""
import argparse
import base64
import errno
import itertools
import json
import logging
import os
import signal
import socket
import sys
import threading

from aiosmtpd.controller import Controller


class Spool:
    def __init__(self, folder):
        self.folder = folder
        self.numbers = itertools.count(1)
        self.lock = threading.Lock()

    async def handle_DATA(self, server, session, envelope):
        with self.lock:
            number = next(self.numbers)
        record = {
            "helo": session.host_name,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "data": base64.b64encode(envelope.original_content).decode("ascii"),
        }
        temp = os.path.join(self.folder, ".%06d.tmp" % number)
        with open(temp, "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.replace(temp, os.path.join(self.folder, "%06d.json" % number))
        logging.info("message %d from %s to %s, %d bytes", number, envelope.mail_from, envelope.rcpt_tos,
                     len(envelope.original_content))
        return "250 Message accepted for delivery"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start(handler, attempts=20):
    for attempt in range(attempts):
        port = free_port()
        controller = Controller(handler, hostname="127.0.0.1", port=port)
        try:
            controller.start()
            return controller, port
        except OSError as e:
            if e.errno != errno.EADDRINUSE:
                raise
            logging.info("port %d was taken meanwhile (attempt %d)", port, attempt + 1)
    raise RuntimeError("no free port after %d attempts" % attempts)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--spool", required=True, help="folder for the messages received")
    ap.add_argument("--log", help="log file (stderr if not given)")
    args = ap.parse_args()

    handler = logging.FileHandler(args.log, encoding="utf-8") if args.log else logging.StreamHandler(sys.stderr)
    logging.basicConfig(level=logging.INFO, handlers=[handler], format="%(asctime)s %(message)s")
    os.makedirs(args.spool, exist_ok=True)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())

    controller, port = start(Spool(args.spool))
    temp = args.port_file + ".tmp"
    with open(temp, "w") as f:
        f.write(str(port))
    os.replace(temp, args.port_file)
    logging.info("listening on 127.0.0.1:%d", port)
    while not stop.wait(1):
        pass
    controller.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
