# SPDX-License-Identifier: MIT
"""Serves a built site on 127.0.0.1 with the MIME types the page needs.

    python3 web/serve.py SITE [PORT]   (PORT 0 takes a free one)

Prints "http://127.0.0.1:PORT/" once it listens, for the tests to read.
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".mjs": "text/javascript", ".webmanifest": "application/manifest+json",
                      ".svg": "image/svg+xml"}

    def end_headers(self):
        # Each load asks again, so a rebuilt site is what is served.
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def main():
    site = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8080
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", port), functools.partial(Handler, directory=site))
    print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
