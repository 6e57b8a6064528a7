#!/usr/bin/env python3
"""Serves the browser edition's site on 127.0.0.1 for trying it out and for
its tests: .wasm as application/wasm, and every file revalidated on each load
(no-cache), so that a rebuilt site is seen at once.

    tools/serve-web.py SITE_DIR [PORT]   (PORT 0: any free one, printed)
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                      '.js': 'text/javascript', '.mjs': 'text/javascript'}

    def end_headers(self):
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()

    def log_message(self, *args):
        pass


def main():
    site = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8023
    server = http.server.ThreadingHTTPServer(('127.0.0.1', port), functools.partial(Handler, directory=site))
    print(f'http://127.0.0.1:{server.server_address[1]}/', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    main()
