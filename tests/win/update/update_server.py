#!/usr/bin/env python3
"""The loopback web server of the update tests: serves the files of one folder
byte for byte and logs every request line with its headers.

Beside a served file NAME, small control files change how it is served:
  NAME.status    a number: answer with that HTTP status (the body is still sent)
  NAME.delay     seconds to wait before answering
  NAME.rate      bytes per second to send the body at
  NAME.stall     after this many body bytes, hold the connection open silently
  NAME.short     claim the whole length but send only this many bytes, then close
  NAME.nolength  send no Content-Length
  NAME.chunked   answer HTTP/1.1 with the body in chunks of this many bytes
  NAME.chunkcut  with .chunked: close the connection after this many body bytes,
                 in the middle of the chunk they belong to
  NAME.chunklength  with .chunked: a Content-Length header of this value as well
  NAME.endless   after the body, stream filler without end at this many bytes per second
  NAME.trickle   after the body, send one byte every this many seconds, without end
A missing file is a 404 with a short HTML body. NAME.sig, the signature the
program fetches beside NAME, is served like any other file.

The tests' own request GET /sign/NAME has scripts/sign write NAME.sig for the
served NAME with the update test key; GET /sign/NAME?by=stranger signs it with a
key that no build holds. It answers 200 once the file is written, and is not logged.

usage: update_server.py PORT FOLDER LOGFILE TEST_KEY STRANGER_KEY
"""
import http.server
import os
import pathlib
import subprocess
import sys
import threading
import time

PORT, FOLDER, LOG = int(sys.argv[1]), sys.argv[2], sys.argv[3]
KEYS = {"": sys.argv[4], "stranger": sys.argv[5]}
SIGN = pathlib.Path(__file__).resolve().parents[3] / "scripts" / "sign"
log_lock = threading.Lock()


def control(name, suffix):
    path = os.path.join(FOLDER, name + suffix)
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return f.read().strip()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path.startswith("/sign/"):
            return self.sign()
        with log_lock, open(LOG, "a", encoding="latin-1") as log:
            log.write(self.requestline + "\r\n" + str(self.headers).replace("\n", "\r\n"))
        name = self.path.lstrip("/").split("?")[0]
        path = os.path.join(FOLDER, name)
        if not name or "/" in name or ".." in name or not os.path.isfile(path):
            body = b"<html><body>not found</body></html>"
            self.send_response(404)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        delay = control(name, ".delay")
        if delay:
            time.sleep(float(delay))
        with open(path, "rb") as f:
            body = f.read()
        chunked = control(name, ".chunked")
        if chunked:
            cut, length = control(name, ".chunkcut"), control(name, ".chunklength")
            return self.send_chunked(body, int(chunked), int(cut) if cut else None, length)
        self.send_response(int(control(name, ".status") or 200))
        self.send_header("Content-Type", "application/octet-stream")
        if control(name, ".nolength") is None:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()

        short, stall, rate = control(name, ".short"), control(name, ".stall"), control(name, ".rate")
        if short:
            body = body[: int(short)]
        if stall:
            self.wfile.write(body[: int(stall)])
            self.wfile.flush()
            time.sleep(120)
            return
        if rate:
            rate = int(rate)
            slice_size = max(1, rate // 20)
            started = time.monotonic()
            for at in range(0, len(body), slice_size):
                self.wfile.write(body[at : at + slice_size])
                self.wfile.flush()
                lag = started + (at + slice_size) / rate - time.monotonic()
                if lag > 0:
                    time.sleep(lag)
            return
        view = memoryview(body)
        for at in range(0, len(body), 1 << 20):
            self.wfile.write(view[at : at + (1 << 20)])
        endless, trickle = control(name, ".endless"), control(name, ".trickle")
        try:
            while endless or trickle:
                self.wfile.write(b"x" * (int(endless) // 20) if endless else b"x")
                self.wfile.flush()
                time.sleep(0.05 if endless else float(trickle))
        except OSError:
            pass  # the client gave up

    def sign(self):
        name, _, query = self.path[len("/sign/"):].partition("?")
        key = KEYS.get(query[len("by="):] if query.startswith("by=") else query)
        path = os.path.join(FOLDER, name)
        if key is None or not name or "/" in name or ".." in name or not os.path.isfile(path):
            status, body = 404, f"nothing to sign at {self.path}".encode()
        else:
            signed = subprocess.run([sys.executable, str(SIGN), path, key], capture_output=True)
            status, body = (200, b"signed") if signed.returncode == 0 else (500, signed.stderr)
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_chunked(self, body, size, cut=None, length=None):
        self.protocol_version = "HTTP/1.1"
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Transfer-Encoding", "chunked")
        if length is not None:
            self.send_header("Content-Length", length)
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        for at in range(0, len(body), size):
            piece = body[at : at + size]
            if cut is not None and at + len(piece) > cut:
                self.wfile.write(b"%x\r\n" % len(piece) + piece[: cut - at])
                self.wfile.flush()
                return
            self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
        self.wfile.write(b"0\r\n\r\n")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


if __name__ == "__main__":
    Server(("127.0.0.1", PORT), Handler).serve_forever()
