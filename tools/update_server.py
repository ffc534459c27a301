#!/usr/bin/env python3
"""A local HTTP server for the updater's tests, demo and benchmark.

    tools/update_server.py --root DIR [--port N] [--port-file FILE] [--pid-file FILE]

Serves the files of DIR; the first part of the path picks how:

    /file/NAME      200, Content-Length, the whole file
    /404/NAME       404 with an HTML body and its Content-Length
    /nolength/NAME  200 and the file without Content-Length (the connection ends the body)
    /short/NAME     200, the file's Content-Length, then only half of it and the connection closes
    /slow/NAME      like /file, paced at --slow-rate bytes a second (default 262144)

Modes that misbehave as real networks do. Each counts the requests for its
path; a Range request ("bytes=N-") is answered 206 from N where the mode
honours ranges:

    /break/NAME     the first answer closes after a third of the file, the
                    second (a range) at two thirds, the third sends the rest
    /norange/NAME   ignores ranges: the first answer closes after a third,
                    every later one is the whole file with 200
    /stall/NAME     the first answer sends a third, then nothing for
                    --stall-seconds (default 40) before it closes; later
                    answers honour the range
    /busy/NAME      the first answer is 503 with "Retry-After: 1", later ones /file
    /down/NAME      503 without Retry-After, always

Every request is appended to ROOT/requests.log as "PATH RANGE" (RANGE "-"
when the request had none).

With port 0 (the default) the system picks a free port, written to --port-file.
"""
import argparse
import http.server
import os
import re
import socketserver
import sys
import threading
import time

CHUNK = 64 * 1024


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = "."
    slow_rate = 262144
    stall_seconds = 40
    counts = {}
    lock = threading.Lock()

    def log_message(self, format, *args):  # keep test output quiet
        pass

    def do_GET(self):
        parts = self.path.lstrip("/").split("/", 1)
        mode, name = (parts[0], parts[1]) if len(parts) == 2 else ("", "")
        path = os.path.join(self.root, os.path.basename(name))
        asked = self.headers.get("Range")
        with self.lock:
            count = self.counts.get(self.path, 0) + 1
            self.counts[self.path] = count
            with open(os.path.join(self.root, "requests.log"), "a") as log:
                log.write("%s %s\n" % (self.path, asked or "-"))
        if mode == "404" or not os.path.isfile(path):
            self.send_body(404, b"<html><body><h1>404 Not Found</h1></body></html>\n", "text/html")
            return
        if mode == "down" or (mode == "busy" and count == 1):
            headers = {"Retry-After": "1"} if mode == "busy" else {}
            self.send_body(503, b"<html><body><h1>503 Busy</h1></body></html>\n", "text/html", headers)
            return
        size = os.path.getsize(path)
        start = 0
        match = re.fullmatch(r"bytes=(\d+)-", asked or "")
        honours = mode in ("break", "stall")
        if match and honours and int(match.group(1)) < size:
            start = int(match.group(1))
        stop, stall = size, 0
        if mode == "short":
            stop = size // 2
        elif mode in ("break", "norange", "stall") and count == 1:
            stop = size // 3
            stall = self.stall_seconds if mode == "stall" else 0
        elif mode == "break" and count == 2:
            stop = max(start, 2 * size // 3)
        if start > 0:
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        else:
            self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if mode != "nolength":
            self.send_header("Content-Length", str(size - start))
        self.send_header("Connection", "close")
        self.end_headers()
        sent = start
        began = time.monotonic()
        try:
            with open(path, "rb") as f:
                f.seek(start)
                while sent < stop:
                    block = f.read(min(CHUNK, stop - sent))
                    if not block:
                        break
                    self.wfile.write(block)
                    sent += len(block)
                    if mode == "slow":
                        due = began + sent / self.slow_rate
                        pause = due - time.monotonic()
                        if pause > 0:
                            time.sleep(pause)
                self.wfile.flush()
                if stall:
                    time.sleep(stall)
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def send_body(self, status, body, kind, headers=None):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.end_headers()
        self.wfile.write(body)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    parser.add_argument("--pid-file")
    parser.add_argument("--slow-rate", type=int, default=262144)
    parser.add_argument("--stall-seconds", type=int, default=40)
    options = parser.parse_args()
    Handler.root = options.root
    Handler.slow_rate = options.slow_rate
    Handler.stall_seconds = options.stall_seconds
    server = Server(("127.0.0.1", options.port), Handler)
    if options.pid_file:
        with open(options.pid_file, "w") as f:
            f.write(str(os.getpid()))
    if options.port_file:
        with open(options.port_file + ".tmp", "w") as f:
            f.write(str(server.server_address[1]))
        os.replace(options.port_file + ".tmp", options.port_file)
    print("update_server: port %d, root %s" % (server.server_address[1], options.root), file=sys.stderr)
    server.serve_forever()


if __name__ == "__main__":
    main()
