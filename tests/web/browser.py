"""Serving the built page on 127.0.0.1 and driving headless Chromium, for the
browser test, the page's screenshot and its bench."""
import functools
import http.server
import os
import re
import shutil
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'


def page_policy(folder):
    """The Content-Security-Policy of the page's meta tag."""
    with open(os.path.join(folder, 'index.html'), encoding='utf-8') as page:
        found = re.search(r'http-equiv="Content-Security-Policy" content="([^"]*)"', page.read())
    return found.group(1) if found else None


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    """Serves the page's folder and records every path asked for. Every file
    is served with the page's policy as a header too, so that it binds the
    worker (which the meta tag does not reach)."""
    requests = None  # set per server
    policy = None

    def log_message(self, *args):
        pass

    def end_headers(self):
        self.send_header('Cache-Control', 'no-store')
        if self.policy:
            self.send_header('Content-Security-Policy', self.policy)
        super().end_headers()

    def do_GET(self):
        self.requests.append(self.path)
        super().do_GET()


class PageServer:
    """The page folder on http://127.0.0.1:<a free port>/, in a thread."""

    def __init__(self, folder):
        handler = type('Handler', (_QuietHandler,), {'requests': [],
                                                     'policy': page_policy(folder)})
        handler.extensions_map = dict(handler.extensions_map, **{'.wasm': 'application/wasm',
                                                                  '.js': 'text/javascript'})
        self.requests = handler.requests
        self.httpd = http.server.ThreadingHTTPServer(
            ('127.0.0.1', 0), functools.partial(handler, directory=folder))
        self.url = 'http://127.0.0.1:%d/' % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """Headless Chromium with a fresh profile, removed at the end."""

    def __init__(self, width=1400, height=1000, language='ja'):
        self.profile = tempfile.mkdtemp(prefix='glyphcensus-chromium-')
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
                     '--no-first-run', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync',
                     '--disable-dev-shm-usage', '--user-data-dir=' + self.profile,
                     '--window-size=%d,%d' % (width, height), '--lang=' + language):
            options.add_argument(flag)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL', 'performance': 'ALL'})
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.set_script_timeout(600)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def open(self, url):
        self.driver.get(url)
        self.wait_for('return document.readyState === "complete" && '
                      'typeof window.glyphcensusIdle === "function"', 30)

    def wait_for(self, script, timeout, *args):
        """Polls the script until it returns a true value; returns that value."""
        end = time.monotonic() + timeout
        while True:
            value = self.driver.execute_script(script, *args)
            if value:
                return value
            if time.monotonic() > end:
                raise TimeoutError('waited %ds for: %s' % (timeout, script))
            time.sleep(0.05)

    def feed(self, paths):
        """Gives the files to <input id="fonts"> (as a person picking them)."""
        field = self.driver.find_element(By.ID, 'fonts')
        field.send_keys('\n'.join(os.path.abspath(p) for p in paths))

    def wait_idle(self, timeout):
        self.wait_for('return window.glyphcensusIdle()', timeout)

    def results(self):
        return self.driver.execute_script('return window.glyphcensusResults()')
