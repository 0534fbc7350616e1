#!/usr/bin/env python3
"""A web server for the bxpage tests: the files of one directory, and a few
ways a server goes wrong. Listens on a free port of 127.0.0.1 and prints
"port N" once it does.

  /NAME        the file (a 404 page of text/html when there is none)
  /cut/NAME    announces the file's length, sends half of it and hangs up
  /long/NAME   announces half the file's length and sends all of it
  /slow/NAME   the file at 40,000 bytes a second, as a slow line delivers it
"""
import http.server
import os
import sys
import time

TYPES = {".html": "text/html; charset=utf-8", ".jps": "image/x-jps", ".pns": "image/x-pns",
         ".pxr": "image/x-pxr", ".mpo": "image/x-mpo"}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        mode = ""
        for prefix in ("/cut/", "/long/", "/slow/"):
            if path.startswith(prefix):
                mode = prefix.strip("/")
                path = "/" + path[len(prefix):]
        name = os.path.join(ROOT, os.path.basename(path))
        if not os.path.isfile(name):
            body = b"<html><body><p>Not here.</p></body></html>"
            self.send_response(404)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        with open(name, "rb") as f:
            data = f.read()
        announced = len(data) // 2 if mode == "long" else len(data)
        sent = data[: len(data) // 2] if mode == "cut" else data
        self.send_response(200)
        self.send_header("Content-Type", TYPES.get(os.path.splitext(name)[1],
                                                   "application/octet-stream"))
        self.send_header("Content-Length", str(announced))
        if mode in ("cut", "long"):
            self.send_header("Connection", "close")
        self.end_headers()
        if mode == "slow":
            for start in range(0, len(sent), 4000):
                self.wfile.write(sent[start:start + 4000])
                self.wfile.flush()
                time.sleep(0.1)
        else:
            self.wfile.write(sent)
            self.wfile.flush()
        if mode in ("cut", "long"):
            self.close_connection = True


ROOT = sys.argv[1]
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print("port", server.server_address[1], flush=True)
server.serve_forever()
