#!/usr/bin/env python3
"""A local HTTP server for the updater's tests, demo and benchmark.

    tools/update_server.py --root DIR [--port N] [--port-file FILE] [--pid-file FILE]

Serves the files of DIR; the first part of the path picks how:

    /file/NAME      200, Content-Length, the whole file
    /404/NAME       404 with an HTML body and its Content-Length
    /nolength/NAME  200 and the file without Content-Length (the connection ends the body)
    /short/NAME     200, the file's Content-Length, then only half of it and the connection closes
    /slow/NAME      like /file, paced at --slow-rate bytes a second (default 262144)

With port 0 (the default) the system picks a free port, written to --port-file.
"""
import argparse
import http.server
import os
import socketserver
import sys
import time

CHUNK = 64 * 1024


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = "."
    slow_rate = 262144

    def log_message(self, format, *args):  # keep test output quiet
        pass

    def do_GET(self):
        parts = self.path.lstrip("/").split("/", 1)
        mode, name = (parts[0], parts[1]) if len(parts) == 2 else ("", "")
        path = os.path.join(self.root, os.path.basename(name))
        if mode == "404" or not os.path.isfile(path):
            body = b"<html><body><h1>404 Not Found</h1></body></html>\n"
            self.send_response(404)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        size = os.path.getsize(path)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if mode != "nolength":
            self.send_header("Content-Length", str(size))
        self.send_header("Connection", "close")
        self.end_headers()
        limit = size // 2 if mode == "short" else size
        sent = 0
        started = time.monotonic()
        try:
            with open(path, "rb") as f:
                while sent < limit:
                    block = f.read(min(CHUNK, limit - sent))
                    if not block:
                        break
                    self.wfile.write(block)
                    sent += len(block)
                    if mode == "slow":
                        due = started + sent / self.slow_rate
                        pause = due - time.monotonic()
                        if pause > 0:
                            time.sleep(pause)
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True


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
    options = parser.parse_args()
    Handler.root = options.root
    Handler.slow_rate = options.slow_rate
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
