#!/usr/bin/python3
"""The browser page against glyphcensus: serves the built page (make web) on
127.0.0.1, drives headless Chromium, feeds fonts in through <input id="fonts">
and checks that

- every face the page reports equals `glyphcensus --format json --missing --sets all` on
  the same file (family, container, faces, every set's counts and missing
  characters, or the same error), for the test fonts, IPAGothic, WOFF and
  WOFF2 files, a CFF collection and a few damaged files;
- damaged files get a message in the page, which answers while it measures;
- after loading, nothing is asked of any other origin (the browser's network
  log and performance entries, and the server's log of requests), and the
  page's Content-Security-Policy allows its own origin only and refuses
  nothing the page and its worker do;
- the coverage map of one font has the same cells, in the same classes, as
  `glyphcensus --map`;
- the manuscript check finds what `glyphcensus --chars` finds;
- the CSV download is byte for byte `glyphcensus --format csv --sets all` on the same
  files, and the JSON download holds the faces `--format json --missing`
  gives.

Usage: web_test.py --page build-web --glyphcensus build/cli/glyphcensus
                   --test-fonts build/testdata [--save-downloads FOLDER]
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Browser, PageServer, page_policy  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402

IPAGOTHIC = '/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf'
CFF_COLLECTION = '/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc'
# A few of the hostile corpus: cut, wrong signature, references to itself,
# huge counts; all must give a result or a message.
HOSTILE = ['truncated_dejavu_0000000.ttf', 'truncated_dejavu_0000028.ttf', 'bad_sfnt_version.ttf',
           'composite_self.ttf', 'cmap12_groups_huge.ttf', 'head_upem_0.ttf', 'huge_metrics.ttf']
MAP_FONT = 'map_subset.ttf'
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HOSTILE_MAP = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                           'web', 'test', 'hostile_map.svg')
MANUSCRIPT = '吾輩は猫である。名前はまだ無い。𠮷野家　ｶﾀｶﾅ 鷗外\n\t😀'
FONT_SUFFIXES = ('.ttf', '.otf', '.ttc', '.otc', '.woff', '.woff2')

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print('FAIL: ' + message)


def gather_fonts(test_fonts, folder):
    """Copies the fonts to feed into one folder, each under a distinct name."""
    chosen = [os.path.join(test_fonts, name) for name in sorted(os.listdir(test_fonts))
              if name.endswith(FONT_SUFFIXES)]
    chosen += [os.path.join(test_fonts, 'hostile', name) for name in HOSTILE]
    chosen += [IPAGOTHIC, CFF_COLLECTION]
    paths = []
    for source in chosen:
        target = os.path.join(folder, os.path.basename(source))
        if os.path.exists(target):
            target = os.path.join(folder, 'hostile_' + os.path.basename(source))
        shutil.copyfile(source, target)
        paths.append(target)
    # A file that is not a font at all.
    not_font = os.path.join(folder, 'notes.ttf')
    with open(not_font, 'w') as out:
        out.write('not a font\n')
    paths.append(not_font)
    return paths


def command_faces(glyphcensus, paths):
    run = subprocess.run([glyphcensus, '--format', 'json', '--missing', '--sets', 'all', '-j2'] + paths,
                         capture_output=True, text=True)
    faces = {}
    for face in json.loads(run.stdout)['faces']:
        face['path'] = os.path.basename(face['path'])
        faces[(face['path'], face['face'])] = face
    return faces


def compare_results(page_document, expected):
    check(page_document.get('schema') == 1, 'the page document has schema 1')
    page_faces = {(face['path'], face['face']): face for face in page_document['faces']}
    check(len(page_faces) == len(page_document['faces']), 'each face once in the page document')
    check(sorted(map(str, page_faces)) == sorted(map(str, expected)),
          'the page reports the faces the command reports: page-only %s, command-only %s' %
          (sorted(map(str, set(page_faces) - set(expected))),
           sorted(map(str, set(expected) - set(page_faces)))))
    for key, want in expected.items():
        got = page_faces.get(key)
        if got is None:
            continue
        if got != want:
            fields = sorted(k for k in set(got) | set(want) if got.get(k) != want.get(k))
            detail = []
            for field in fields:
                if field == 'sets' and got.get('sets') and want.get('sets'):
                    for a, b in zip(got['sets'], want['sets']):
                        if a != b:
                            detail.append('%s: page %s/%s, command %s/%s%s' % (
                                b['id'], a.get('present'), a.get('total'),
                                b.get('present'), b.get('total'),
                                '' if a.get('missing_code_points') == b.get('missing_code_points')
                                else ', other missing characters'))
                else:
                    detail.append('%s: page %r, command %r' % (field, got.get(field),
                                                               want.get(field)))
            check(False, '%s face %s differs: %s' % (key[0], key[1], '; '.join(detail)[:600]))
    return page_faces


def check_messages(browser, expected):
    """Each file the command could not read gets a message in the page."""
    texts = browser.driver.execute_script(
        'return Array.from(document.querySelectorAll("#file-list li.file")).map('
        '(item) => item.textContent)')
    for (name, face), want in expected.items():
        if face is None and want.get('error'):
            shown = [t for t in texts if name in t]
            check(shown and any(len(t) > len(name) + 8 for t in shown),
                  '%s: the page shows a message for the unreadable file' % name)


def check_responsive(browser):
    """While the worker measures, the page switches its language at once."""
    before = browser.driver.execute_script('return document.getElementById("language").value')
    after = 'en' if before == 'ja' else 'ja'
    busy = browser.driver.execute_script(
        'const select = document.getElementById("language");'
        'select.value = arguments[0]; select.dispatchEvent(new Event("change"));'
        'return !window.glyphcensusIdle() && document.documentElement.lang', after)
    check(busy == after, 'the page switches language while measuring (got %r)' % busy)


def check_network(browser, server, origin):
    entries = browser.driver.execute_script(
        'return performance.getEntriesByType("resource").map((e) => e.name)')
    foreign = [u for u in entries if not u.startswith(origin)]
    check(not foreign, 'the page asks nothing of other origins (performance entries): %s' % foreign)
    # Every request from the navigation to the page on (before it, the
    # browser shows its own start page from chrome:// resources).
    asked = []
    for entry in browser.driver.get_log('performance'):
        message = json.loads(entry['message'])['message']
        if message['method'] == 'Network.requestWillBeSent':
            url = message['params']['request']['url']
            if asked or url.startswith(origin):
                asked.append(url)
    check(asked, 'the network log shows the page\'s requests')
    foreign = [u for u in asked if not u.startswith((origin, 'data:', 'blob:'))]
    check(not foreign, 'the page asks nothing of other origins (network log): %s' % foreign)
    page_files = set(os.listdir(args.page))
    unknown = [p for p in server.requests if p.lstrip('/').split('?')[0] not in page_files | {''}]
    check(not unknown, 'the server was asked only for the page\'s files: %s' % unknown)


def check_policy(browser):
    """The page's own origin only, and the browser refused nothing it does
    (the test server sends the policy as a header too, binding the worker)."""
    policy = page_policy(args.page) or ''
    directives = [d.split() for d in policy.split(';') if d.strip()]
    allowed = {"'self'", "'none'", "'wasm-unsafe-eval'", 'data:', 'blob:'}
    foreign = [v for d in directives for v in d[1:] if v not in allowed]
    check(any(d[0] == 'default-src' for d in directives) and not foreign,
          'the page\'s Content-Security-Policy allows its own origin only: %r' % policy)
    refused = [e['message'] for e in browser.driver.get_log('browser')
               if 'Content Security Policy' in e['message'] or 'Refused' in e['message']]
    check(not refused, 'the browser refused nothing under the policy: %s' % refused)


def cell_classes_of_svg_text(svg_text):
    root = ElementTree.fromstring(svg_text)
    cells = []
    for element in root.iter():
        position = element.get('data-kuten') or element.get('data-index')
        if position is not None:
            cells.append((element.get('class'), position))
    return cells


def check_map(browser, folder):
    path = os.path.join(folder, MAP_FONT)
    svg_path = os.path.join(folder, 'map.svg')
    subprocess.run([args.glyphcensus, '--map', svg_path, path], check=True, capture_output=True)
    with open(svg_path, encoding='utf-8') as svg:
        expected = cell_classes_of_svg_text(svg.read())
    browser.driver.execute_script(
        'const button = Array.from(document.querySelectorAll("#file-list .file-button"))'
        '.find((b) => b.querySelector(".file-name").textContent === arguments[0]);'
        'button.click();', MAP_FONT)
    browser.driver.execute_script('const show = document.getElementById("map-show");'
                                  'if (show && !show.disabled && !show.hidden) show.click();')
    browser.wait_for('return document.querySelector("#map[data-state=shown] svg")', 120)
    shown = browser.driver.execute_script(
        'return Array.from(document.querySelectorAll("#map [data-kuten], #map [data-index]"))'
        '.map((e) => [e.getAttribute("class"), e.getAttribute("data-kuten") || '
        'e.getAttribute("data-index")])')
    shown = [tuple(cell) for cell in shown]
    check(len(expected) > 1000, 'the command\'s map has its cells (%d)' % len(expected))
    check(shown == expected, 'the page\'s map has the command\'s cells and classes '
          '(%d cells in the page, %d in the command\'s map; first difference %s)' % (
              len(shown), len(expected),
              next(((a, b) for a, b in zip(shown, expected) if a != b), None)))


def check_map_hover(browser):
    """A cell of the map's last band answers the pointer with its character,
    code and position."""
    cell = browser.driver.execute_script(
        'const cells = document.querySelectorAll("#map .map-band [data-kuten], '
        '#map .map-band [data-index]");'
        'const cell = cells[cells.length - 1]; cell.scrollIntoView({block: "center"}); return cell;')
    check(cell is not None, 'the map is put in as bands')
    if cell is None:
        return
    title = browser.driver.execute_script('return arguments[0].querySelector("title").textContent', cell)
    ActionChains(browser.driver).move_to_element(cell).perform()
    shown = browser.wait_for('const text = document.getElementById("map-cell").textContent;'
                             'return text.length > 0 && text', 10)
    position = title.split(' (')[0].split(' ')[-1]
    codes = [part for part in title.split(' (')[0].split(' ') if part.startswith('U+')]
    check(position in shown and all(code in shown for code in codes),
          'hovering a cell shows it: %r for the cell %r' % (shown, title))


# The page's map cleaning, on a map made to attack it (web/test/hostile_map.svg),
# put in whole and, one level down, in the worker's pieces as the page puts
# them in: nothing may run or load.
HOSTILE_MAP_CHECK = r'''
const [text, done] = [arguments[0], arguments[arguments.length - 1]];
(async () => {
const logic = await import('./map_svg.js');
await import('./map_pieces.js');
const { mapPieces } = window.GlyphCensusMapPieces;
const holder = document.createElement('div');
holder.id = 'hostile-map';
document.body.append(holder);
const whole = logic.parseMap(text, '#hostile-map');
holder.append(whole.svg);
// (No HTML comment opener in a script: it would begin a comment.)
const bare = text.replace(/<![-]{2}[\s\S]*?[-]{2}>/g, '');
const open = /<svg[^>]*>/.exec(bare);
const close = bare.lastIndexOf('</svg>');
const nested = bare.slice(0, open.index + open[0].length) + '<g>' +
  bare.slice(open.index + open[0].length, close) + '</g></svg>';
const split = mapPieces(nested, 1);
let pieces = 0;
if (split) {
  const head = logic.parseMap(split.head, '#hostile-map');
  holder.append(head.svg);
  for (const piece of split.pieces) {
    const nodes = logic.parseMapPiece(nested.slice(piece.start, piece.end));
    if (nodes) { head.splitParents[piece.parent].append(nodes); pieces++; }
  }
}
setTimeout(() => {
  const all = [...holder.querySelectorAll('*')];
  done({
    pieces,
    forbidden: all.filter((e) => !['svg', 'g', 'use', 'title', 'text', 'defs', 'path', 'rect']
      .includes(e.localName)).map((e) => e.localName),
    attributes: all.flatMap((e) => e.getAttributeNames().filter((n) => n.startsWith('on') || n === 'style')),
    links: all.flatMap((e) => e.getAttributeNames().filter((n) => /href$/.test(n))
      .map((n) => e.getAttribute(n)).filter((h) => !h.startsWith('#'))),
    pwned: window.pwned === undefined ? null : String(window.pwned),
    rules: [...whole.sheet.cssRules].map((r) => r.cssText),
    cells: holder.querySelectorAll('[data-kuten]').length,
  });
  holder.remove();
}, 500);
})().catch((error) => done({ error: String(error) }));
'''


def check_map_cleaning(browser):
    with open(HOSTILE_MAP, encoding='utf-8') as svg:
        found = browser.driver.execute_async_script(HOSTILE_MAP_CHECK, svg.read())
    if 'error' in found:
        check(False, 'the map cleaning check runs: %s' % found['error'])
        return
    check(found['pieces'] > 1, 'the hostile map is cut into pieces (%d)' % found['pieces'])
    check(found['cells'] == 2, 'the hostile map keeps its cell, whole and in pieces (%d)' % found['cells'])
    check(not found['forbidden'] and not found['attributes'] and not found['links'],
          'the hostile map keeps no element, handler, style or link that runs or loads: %s' % found)
    check(found['pwned'] is None, 'nothing of the hostile map ran (window.pwned = %s)' % found['pwned'])
    check(found['rules'] == ['#hostile-map :is(text) { fill: red; }'],
          'the hostile map\'s style keeps only its confined text rule: %s' % found['rules'])


def check_manuscript(browser, folder):
    """The chosen face (the map's font) checked against a manuscript."""
    text_path = os.path.join(folder, 'manuscript.txt')
    with open(text_path, 'w', encoding='utf-8') as out:
        out.write(MANUSCRIPT)
    run = subprocess.run([args.glyphcensus, '--format', 'json', '--missing', '--sets', 'none',
                          '--chars', text_path, os.path.join(folder, MAP_FONT)],
                         capture_output=True, text=True, check=True)
    want = json.loads(run.stdout)['faces'][0]['sets'][0]
    browser.driver.execute_script(
        'const box = document.getElementById("manuscript"); box.value = arguments[0];'
        'box.dispatchEvent(new Event("input"));', MANUSCRIPT)
    missing = browser.wait_for(
        'const shown = document.getElementById("manuscript-missing");'
        'return shown && shown.textContent.length > 0 && shown.textContent', 60)
    check(sorted(missing.replace(' ', '')) == sorted(want['missing']),
          'the manuscript check finds what --chars finds: page %r, command %r' %
          (missing, want['missing']))


def check_downloads(browser, folder, paths, expected):
    """The downloads' text: the CSV is the command's, byte for byte (the
    command run in the folder, so that its paths are the page's names)."""
    downloads = browser.driver.execute_script('return window.glyphcensusDownloads()')
    run = subprocess.run([os.path.abspath(args.glyphcensus), '--format', 'csv', '--sets', 'all'] + [os.path.basename(p) for p in paths],
                         cwd=folder, capture_output=True)
    csv = downloads['csv']
    check(csv is not None, 'the page has a CSV download')
    if csv is not None:
        got = csv.encode('utf-8')
        check(got == run.stdout, 'the CSV download is glyphcensus --format csv: first difference '
              'at byte %d' % next((i for i, (a, b) in enumerate(zip(got, run.stdout)) if a != b),
                                  min(len(got), len(run.stdout))))
    document = json.loads(downloads['json'])
    check(downloads['json'].startswith('{"schema": 1, "faces": [\n') and downloads['json'].endswith('\n]}\n'),
          'the JSON download has the command\'s layout')
    check({(f['path'], f['face']): f for f in document['faces']} == expected,
          'the JSON download holds the faces the command reports')
    if args.save_downloads:
        os.makedirs(args.save_downloads, exist_ok=True)
        for name, text in (('glyphcensus.json', downloads['json']), ('glyphcensus.csv', csv or '')):
            with open(os.path.join(args.save_downloads, name), 'w', encoding='utf-8', newline='') as out:
                out.write(text)


def command_change_lines(*arguments):
    """The lines of what was lost and gained in the command's text report."""
    run = subprocess.run([args.glyphcensus, '--why', '--sets', 'all', *arguments],
                         capture_output=True, text=True)
    lines = run.stdout.splitlines()
    start = next((i for i, line in enumerate(lines) if line.startswith(('lost ', 'gained '))), len(lines))
    return run.returncode, lines[start:]


def choose_side(browser, select_id, name):
    browser.driver.execute_script(
        'const select = document.getElementById(arguments[0]);'
        'const option = [...select.options].find((o) => o.textContent === arguments[1]);'
        'select.value = option.value; select.dispatchEvent(new Event("change"));', select_id, name)


def compared_text(browser, old_name, new_name):
    browser.wait_for('return [...document.getElementById("compare-new").options]'
                     '.some((o) => o.textContent === arguments[0])', 120, new_name)
    choose_side(browser, 'compare-old', old_name)
    choose_side(browser, 'compare-new', new_name)
    browser.driver.find_element(By.ID, 'compare-run').click()
    return browser.wait_for(
        'const shown = document.getElementById("compare-result");'
        'return ["lost", "kept"].includes(shown.dataset.state) && shown.textContent', 120)


def check_compare(browser, folder):
    """The compare panel: two fonts, and a font against a saved report, in the
    command's words (--compare and --baseline with --why)."""
    fonts = os.path.join(folder, 'release')
    subprocess.run([sys.executable, os.path.join(ROOT, 'tools', 'make_release_test_fonts.py'), fonts],
                   check=True)
    first, unmapped, moved = (os.path.join(fonts, name + '.ttf') for name in ('release-1', 'unmapped', 'moved'))
    baseline = os.path.join(fonts, 'baseline.json')
    with open(baseline, 'w', encoding='utf-8') as out:
        out.write(subprocess.run([args.glyphcensus, '--format', 'json', '--missing', '--sets', 'all', first],
                                 capture_output=True, text=True, check=True).stdout)
    browser.feed([first, unmapped, moved, baseline])
    status, want = command_change_lines('--compare', first, unmapped)
    shown = compared_text(browser, 'release-1.ttf', 'unmapped.ttf')
    check(status == 6 and shown.splitlines() == ['unmapped.ttf (face 0)'] + want,
          'two fonts compare as --compare does: page %r, command %r' % (shown, want))
    status, want = command_change_lines('--baseline', baseline, moved)
    shown = compared_text(browser, 'baseline.json', 'moved.ttf')
    check(status == 6 and shown.splitlines()[1:] == want and 'no-ink (1)' in shown,
          'a font against a saved report compares as --baseline does: page %r, command %r' % (shown, want))
    # The vertical preview: the chosen face's missing vertical forms, set top
    # to bottom in the font itself (its FontFace from a blob: URL, which the
    # policy check below sees refused or not).
    preview = browser.wait_for(
        'const panel = document.getElementById("vertical-preview-panel");'
        'const shown = document.getElementById("vertical-preview");'
        'return !panel.hidden && [shown.textContent, getComputedStyle(shown).writingMode]', 30)
    check(preview[1] == 'vertical-rl' and len(preview[0]) > 0,
          'the missing vertical forms are previewed top to bottom: %r' % preview)
    # The missing lists sorted by reason: each list opens with a reason and its count.
    browser.driver.execute_script('document.getElementById("missing-by-reason").click()')
    heads = browser.wait_for(
        'const lists = [...document.querySelectorAll("#report .characters.by-reason")];'
        'return lists.length > 0 && lists.map((p) => p.textContent.split("\\n")[0])', 30)
    check(all(re.fullmatch(r'(unmapped|notdef|blank|empty|no-ink|not-in-format-14) \(\d+\)', head)
              for head in heads), 'the missing lists sorted by reason start with a reason: %r' % heads[:5])


def main():
    with tempfile.TemporaryDirectory(prefix='glyphcensus-web-test-') as folder:
        paths = gather_fonts(args.test_fonts, folder)
        expected = command_faces(args.glyphcensus, paths)
        print('web test: %d files, %d faces from glyphcensus' % (len(paths), len(expected)))
        with PageServer(args.page) as server, Browser() as browser:
            browser.open(server.url)
            origin = server.url.rstrip('/')
            browser.feed(paths)
            check_responsive(browser)
            browser.wait_idle(900)
            page_document = browser.results()
            compare_results(page_document, expected)
            check_downloads(browser, folder, paths, expected)
            check_messages(browser, expected)
            check_map(browser, folder)
            check_map_hover(browser)
            check_manuscript(browser, folder)
            check_compare(browser, folder)
            check_network(browser, server, origin)
            check_policy(browser)
            # Last: parsing the hostile map makes the browser log refusals.
            check_map_cleaning(browser)
    if failures:
        print('web test: %d failures' % len(failures))
        return 1
    print('web test: the page reports what glyphcensus reports')
    return 0


if __name__ == '__main__':
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--page', required=True)
    parser.add_argument('--glyphcensus', required=True)
    parser.add_argument('--test-fonts', required=True)
    parser.add_argument('--save-downloads', help='a folder to write the page\'s downloads into')
    args = parser.parse_args()
    sys.exit(main())
