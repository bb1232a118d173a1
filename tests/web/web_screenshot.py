#!/usr/bin/python3
"""The README's picture of the browser page (make web-screenshot): headless
Chromium showing IPAGothic's report and the top of its coverage map, in
Japanese.

Usage: web_screenshot.py --page build-web --output docs/web.png
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Browser, PageServer  # noqa: E402

IPAGOTHIC = '/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf'


def main():
    with PageServer(args.page) as server, Browser(width=1280, height=1500) as browser:
        browser.open(server.url)
        browser.driver.execute_script(
            'const select = document.getElementById("language");'
            'select.value = "ja"; select.dispatchEvent(new Event("change"));')
        browser.feed([IPAGOTHIC])
        browser.wait_idle(300)
        browser.driver.execute_script('const show = document.getElementById("map-show");'
                                      'if (show && !show.disabled && !show.hidden) show.click();')
        browser.wait_for('return document.querySelector("#map[data-state=shown] svg")', 300)
        # The map's heading at the bottom of the picture, with its first rows.
        browser.driver.execute_script(
            'document.getElementById("map").scrollIntoView({block: "end"}); window.scrollTo(0, 0);')
        browser.driver.execute_script('return new Promise((done) => '
                                      'requestAnimationFrame(() => setTimeout(done, 300)))')
        os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
        if not browser.driver.save_screenshot(args.output):
            print('web_screenshot: cannot write %s' % args.output, file=sys.stderr)
            return 1
    print('web_screenshot: wrote %s' % args.output)
    return 0


if __name__ == '__main__':
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--page', required=True)
    parser.add_argument('--output', required=True)
    args = parser.parse_args()
    sys.exit(main())
