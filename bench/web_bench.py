#!/usr/bin/python3
"""The browser page's bench (make bench), beside the native command in the
same run: serves the built page on 127.0.0.1, drives headless Chromium and
prints

- the time to IPAGothic's report in the page, with the worker already started
  and with its start included, as a ratio to `glyphcensus -j1` on the file,
  and the worker's own time for it and for the same file given again (the
  module's code optimized by then);
- the time to show IPAGothic's coverage map;
- the size of what the page loads, uncompressed and gzip-compressed;
- the main thread's long tasks (PerformanceObserver 'longtask') while
  measuring and while the map is put in.

Usage: web_bench.py --page build-web --glyphcensus build/cli/glyphcensus [--runs N]
"""
import argparse
import gzip
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                'tests', 'web'))
from browser import Browser, PageServer  # noqa: E402

IPAGOTHIC = '/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf'

# Runs before the page's scripts: notes when the worker is made, when the
# file input changes, when messages pass, and the long tasks; "result-taken"
# comes one frame after a result, "report-shown" one frame after the report's
# sets are put in, "map-shown" when #map's state is "shown".
PROBE = r'''
(() => {
  const marks = window.__benchMarks = [];
  const longTasks = window.__benchLongTasks = [];
  const mark = (name) => marks.push([name, performance.now()]);
  new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) longTasks.push([entry.startTime, entry.duration]);
  }).observe({type: 'longtask', buffered: true});
  const shownAfterFrame = (name) =>
    requestAnimationFrame(() => setTimeout(() => mark(name), 0));
  const NativeWorker = window.Worker;
  window.Worker = function (url, options) {
    mark('worker-made');
    const worker = new NativeWorker(url, options);
    const post = worker.postMessage.bind(worker);
    worker.postMessage = (message, transfer) => {
      if (message && message.type) mark('post-' + message.type);
      return post(message, transfer);
    };
    worker.addEventListener('message', (event) => {
      const type = event.data && event.data.type;
      mark('got-' + type);
      if (type === 'result') shownAfterFrame('result-taken');
    });
    return worker;
  };
  // The report is shown when its sets are in the page; the map when #map
  // says so (it is put in over several frames).
  document.addEventListener('DOMContentLoaded', () => {
    const sets = document.getElementById('sets');
    new MutationObserver(() => {
      if (sets.children.length) shownAfterFrame('report-shown');
    }).observe(sets, {childList: true});
    const map = document.getElementById('map');
    new MutationObserver(() => {
      if (map.dataset.state === 'shown') mark('map-shown');
    }).observe(map, {attributes: true, attributeFilter: ['data-state']});
  });
  document.addEventListener('change', (event) => {
    if (event.target && event.target.id === 'fonts') mark('files-given');
  }, true);
})();
'''


def native_seconds(glyphcensus, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run([glyphcensus, '-j1', IPAGOTHIC], check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def first(marks, name, after=0.0):
    return next(t for n, t in marks if n == name and t >= after)


def page_run(server, worker_started):
    """One page load measuring IPAGothic, then showing its map. Times in ms."""
    with Browser() as browser:
        browser.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': PROBE})
        browser.open(server.url)
        if worker_started:
            browser.wait_for('return window.__benchMarks.some((m) => m[0] === "got-ready")', 60)
        browser.feed([IPAGOTHIC])
        browser.wait_for('return window.__benchMarks.some((m) => m[0] === "report-shown")', 300)
        browser.wait_idle(60)
        marks = browser.driver.execute_script('return window.__benchMarks')
        given = first(marks, 'files-given')
        report = first(marks, 'report-shown')
        result = {
            'worker_start': first(marks, 'got-ready') - first(marks, 'worker-made'),
            'report': report - (given if worker_started else first(marks, 'worker-made')),
        }
        long_tasks = browser.driver.execute_script('return window.__benchLongTasks')
        # Measuring and showing its result: up to the frames after the
        # report's, which build the summary table.
        result['longest_task_measuring'] = max(
            [d for s, d in long_tasks if given <= s <= report + 250] + [0])
        if worker_started:
            # The map the page draws once idle, before the next file, so that
            # drawing it does not delay the worker's messages.
            browser.wait_for('return window.__benchMarks.some((m) => m[0] === "map-shown")', 300)
            # The same file again: V8 has optimized the module's hot code by now.
            browser.feed([IPAGOTHIC])
            browser.wait_for('return window.__benchMarks.filter((m) => m[0] === "result-taken")'
                             '.length >= 2', 300)
            browser.wait_idle(60)
            marks = browser.driver.execute_script('return window.__benchMarks')
            # The worker's own time (from its "started" to its "result"): the
            # page may have it draw the first file's map in between.
            starts = [t for n, t in marks if n == 'got-started']
            results = [t for n, t in marks if n == 'got-result']
            result['worker_first'] = results[0] - starts[0]
            result['worker_again'] = results[-1] - starts[-1]
            marks = browser.driver.execute_script('return window.__benchMarks')
            asked = first(marks, 'post-map')
            shown = first(marks, 'map-shown', asked)
            result['map'] = shown - asked
            result['map_worker'] = first(marks, 'got-map', asked) - asked
            long_tasks = browser.driver.execute_script('return window.__benchLongTasks')
            result['longest_task_map'] = max([d for s, d in long_tasks if asked <= s <= shown] + [0])
        return result


def loaded_size(page, requested):
    files = sorted({p.lstrip('/').split('?')[0] or 'index.html' for p in requested})
    raw = packed = 0
    for name in files:
        with open(os.path.join(page, name), 'rb') as f:
            data = f.read()
        raw += len(data)
        packed += len(gzip.compress(data, 9))
    return files, raw, packed


def main():
    native = native_seconds(args.glyphcensus, args.runs) * 1000
    with PageServer(args.page) as server:
        started = [page_run(server, True) for _ in range(args.runs)]
        cold = [page_run(server, False) for _ in range(args.runs)]
        files, raw, packed = loaded_size(args.page, server.requests)

    def median(runs, key):
        return statistics.median(r[key] for r in runs)

    warm_report = median(started, 'report')
    cold_report = median(cold, 'report')
    print('web bench: IPAGothic, median of %d runs each' % args.runs)
    print('  glyphcensus -j1 (native):                %7.0f ms' % native)
    print('  page, report, worker started before:     %7.0f ms  (%.2fx native)' %
          (warm_report, warm_report / native))
    print('  page, report, worker start included:     %7.0f ms  (%.2fx native)' %
          (cold_report, cold_report / native))
    print('  in the worker, first file / again:       %7.0f ms / %.0f ms  (%.2fx / %.2fx native)' %
          (median(started, 'worker_first'), median(started, 'worker_again'),
           median(started, 'worker_first') / native, median(started, 'worker_again') / native))
    print('  worker start (module loaded and ready):  %7.0f ms' % median(started, 'worker_start'))
    print('  map shown after it is asked for:         %7.0f ms  (worker %0.f ms)' %
          (median(started, 'map'), median(started, 'map_worker')))
    print('  longest main-thread task while measuring: %6.0f ms' %
          max(r['longest_task_measuring'] for r in started + cold))
    print('  longest main-thread task putting in the map: %3.0f ms' %
          max(r['longest_task_map'] for r in started))
    print('  page loads %d files: %.2f MB, %.2f MB gzip-compressed (%s)' %
          (len(files), raw / 1e6, packed / 1e6, ', '.join(files)))
    return 0


if __name__ == '__main__':
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--page', required=True)
    parser.add_argument('--glyphcensus', required=True)
    parser.add_argument('--runs', type=int, default=3)
    args = parser.parse_args()
    sys.exit(main())
