#!/usr/bin/env python3
"""Serves web/ for working on the page before the WebAssembly module exists.

/worker.js is answered with dev/fake_worker.js, which forwards each request to
this server; the server answers it by running the native glyphcensus command
on the bytes, so the page sees real results. Not shipped; for development only.

  python3 web/dev/dev_server.py [--port 8000] [--glyphcensus build/cli/glyphcensus]
         [--delay SECONDS]   (wait before each measurement, to try Cancel)
"""
import argparse
import functools
import http.server
import json
import os
import subprocess
import tempfile
import time
import urllib.parse

WEB = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPO = os.path.dirname(WEB)


class Handler(http.server.SimpleHTTPRequestHandler):
    def translate_path(self, path):
        if urllib.parse.urlsplit(path).path == "/worker.js":
            return os.path.join(WEB, "dev", "fake_worker.js")
        return super().translate_path(path)

    def answer(self, status, body, kind):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        name = query.get("name", ["font"])[0]
        face = query.get("face", [None])[0]
        with tempfile.TemporaryDirectory() as folder:
            text_length = int(query.get("text", ["0"])[0])
            text, font = body[:text_length], body[text_length:]
            font_path = os.path.join(folder, os.path.basename(name) or "font")
            with open(font_path, "wb") as out:
                out.write(font)
            command = [self.server.glyphcensus, "--format", "json", "--missing"]
            if face is not None:
                command += ["--face", face]
            if url.path == "/dev/measure":
                time.sleep(self.server.delay)
            elif url.path == "/dev/map":
                command += ["--map", os.path.join(folder, "map.svg")]
            elif url.path == "/dev/chars":
                with open(os.path.join(folder, "text"), "wb") as out:
                    out.write(text)
                command += ["--sets", "none", "--chars", os.path.join(folder, "text")]
            else:
                self.answer(404, b"unknown request", "text/plain")
                return
            run = subprocess.run(command + [font_path], capture_output=True)
            if url.path == "/dev/map":
                try:
                    with open(os.path.join(folder, "map.svg"), "rb") as svg:
                        self.answer(200, svg.read(), "image/svg+xml")
                except OSError:
                    self.answer(500, run.stderr, "text/plain")
                return
            try:
                faces = json.loads(run.stdout)["faces"]
            except ValueError:
                self.answer(500, run.stderr, "text/plain")
                return
            for each in faces:
                each["path"] = name
            self.answer(200, json.dumps(faces).encode(), "application/json")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=8000)
    parser.add_argument("--glyphcensus", default=os.path.join(REPO, "build", "cli", "glyphcensus"))
    parser.add_argument("--delay", type=float, default=0)
    args = parser.parse_args()
    handler = functools.partial(Handler, directory=WEB)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler)
    server.glyphcensus = os.path.abspath(args.glyphcensus)
    server.delay = args.delay
    print(f"http://127.0.0.1:{args.port}/", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
