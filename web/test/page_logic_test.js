// The page's rules that would break silently: the natural order of file
// names (it must agree with fontio/font_file_names.cpp: both read
// tests/data/natural_order_cases.tsv), the folder walk, the count wording,
// the summary sort, the redraw keys, the string table and the map's pieces.
// Run: node --test web/test/
import test from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import { fileURLToPath } from 'node:url';
import * as logic from '../page_logic.js';
import { STRINGS as strings } from '../i18n.js';

const WEB = path.dirname(path.dirname(fileURLToPath(import.meta.url)));
const ROOT = path.dirname(WEB);

// The worker's classic script, run as the worker runs it, with its own `self`.
const mapPieces = (() => {
  const self = {};
  const source = fs.readFileSync(path.join(WEB, 'map_pieces.js'), 'utf8');
  vm.runInThisContext(`(function (self) {\n${source}\n})`)(self);
  return self.GlyphCensusMapPieces.mapPieces;
})();

test('natural order agrees with CompareNaturally on the shared cases, both ways', () => {
  const cases = fs.readFileSync(path.join(ROOT, 'tests', 'data', 'natural_order_cases.tsv'), 'utf8')
    .split('\n').filter((line) => line && !line.startsWith('#')).map((line) => line.split('\t'));
  assert.ok(cases.length >= 15);
  for (const [a, b, expected] of cases) {
    const sign = Number(expected);
    assert.equal(Math.sign(logic.compareNaturally(a, b)), sign, `${a} vs ${b}`);
    assert.equal(Math.sign(logic.compareNaturally(b, a)), -sign || 0, `${b} vs ${a}`);
  }
});

test('file names sort in one total order, ties broken by code point', () => {
  const names = ['font10.ttf', 'font.ttf', 'Font.ttf', 'font2.otf', 'font02.otf', 'Ａ.ttf', '𠮟.ttf', 'b.woff'];
  assert.deepEqual(names.slice().sort(logic.compareFileNames),
    ['b.woff', 'font02.otf', 'font2.otf', 'font10.ttf', 'Font.ttf', 'font.ttf', 'Ａ.ttf', '𠮟.ttf']);
  assert.equal(logic.compareFileNames('x', 'x'), 0);
});

test('a dropped folder gives its font files in the command\'s walk order', () => {
  assert.ok(logic.hasFontFileExtension('a.WOFF2'));
  assert.ok(logic.hasFontFileExtension('dir.x/a.otc'));
  assert.ok(!logic.hasFontFileExtension('fonts.ttf/readme'));
  assert.ok(!logic.hasFontFileExtension('ttf'));
  assert.ok(!logic.hasFontFileExtension('a.ttf.bak'));
  const paths = [
    'top/sub10/c.ttf', 'top/readme.txt', 'top/B.otf', 'top/sub2/deep/d.woff',
    'top/a10.ttf', 'top/sub2/e.ttc', 'top/a9.TTF', 'top/sub10/.hidden.otf',
  ];
  assert.deepEqual(logic.walkOrder(paths), [
    'top/a9.TTF', 'top/a10.ttf', 'top/B.otf',
    'top/sub2/e.ttc', 'top/sub2/deep/d.woff',
    'top/sub10/.hidden.otf', 'top/sub10/c.ttf',
  ]);
  assert.deepEqual(logic.walkOrder([]), []);
});

test('counts are written as the report writes them', () => {
  const words = { all: (n) => `全${n}`, none: () => '－' };
  assert.equal(logic.formatCount(2135, 2136, words), '2,135/2,136');
  assert.equal(logic.formatCount(2136, 2136, words), '全2,136');
  assert.equal(logic.formatCount(0, 52, words), '－');
  assert.equal(logic.formatNumber(999), '999');
  assert.equal(logic.formatNumber(1000), '1,000');
  assert.equal(logic.formatNumber(1114111), '1,114,111');
  // A percentage never claims all when one is missing.
  assert.equal(logic.percent(2135, 2136), '99.9');
  assert.equal(logic.percent(2136, 2136), '100.0');
  assert.equal(logic.percent(1, 3), '33.3');
  assert.equal(logic.percent(0, 0), '');
});

test('summary rows sort stably, rows without a value last', () => {
  const rows = [
    { name: 'a', n: 5 }, { name: 'b', n: null }, { name: 'c', n: 7 }, { name: 'd', n: 5 }, { name: 'e', n: 7 },
  ];
  const names = (sorted) => sorted.map((row) => row.name).join('');
  assert.equal(names(logic.sortRows(rows, (row) => row.n, false)), 'adceb');
  assert.equal(names(logic.sortRows(rows, (row) => row.n, true)), 'ceadb');
  assert.equal(names(logic.sortRows(rows, (row) => `f${10 - row.name.charCodeAt(0) % 10}`, false)), 'cbaed');
  // Numbers compare as numbers, not as text.
  assert.equal(names(logic.sortRows([{ name: 'x', n: 10 }, { name: 'y', n: 9 }], (row) => row.n, false)), 'yx');
  assert.equal(names(rows), 'abcde');
});

test('every string the page asks for exists in both languages', () => {
  const read = (name) => fs.readFileSync(path.join(WEB, name), 'utf8');
  assert.deepEqual(Object.keys(strings.en).sort(), Object.keys(strings.ja).sort());
  for (const key of Object.keys(strings.ja)) assert.equal(typeof strings.en[key], typeof strings.ja[key], key);
  const modules = fs.readdirSync(WEB).filter((name) => name.endsWith('.js') && name !== 'i18n.js');
  const asked = [
    ...modules.flatMap((name) => [...read(name).matchAll(/text\('([A-Za-z]+)'/g)]),
    ...modules.flatMap((name) => [...read(name).matchAll(/: '(status[A-Z][a-z]+)'/g)]),
    ...[...read('index.html').matchAll(/data-text="([A-Za-z]+)"/g)],
  ].map((match) => match[1]);
  assert.ok(asked.length > 40);
  for (const key of asked) assert.ok(key in strings.ja, `no string "${key}"`);
});

test('the page loads only its own modules, each by a relative path, all preloaded', () => {
  const read = (name) => fs.readFileSync(path.join(WEB, name), 'utf8');
  const html = read('index.html');
  assert.match(html, /<script type="module" src="main.js"><\/script>/);
  // Every module main.js reaches, each a file of the page's folder.
  const reached = new Set();
  const pending = ['main.js'];
  while (pending.length) {
    const name = pending.pop();
    if (reached.has(name)) continue;
    reached.add(name);
    for (const [, from] of read(name).matchAll(/ from '([^']+)';$/gm)) {
      assert.match(from, /^\.\/[a-z_0-9]+\.js$/, `${name} imports ${from}`);
      assert.ok(fs.existsSync(path.join(WEB, from)), `${name} imports ${from}, which is missing`);
      pending.push(from.slice(2));
    }
  }
  assert.ok(reached.size > 10);
  const preloaded = [...html.matchAll(/<link rel="modulepreload" href="([^"]+)">/g)].map((match) => match[1]);
  assert.deepEqual(preloaded.sort(), [...reached].filter((name) => name !== 'main.js').sort());
});

test('missing sequences read as the command lists them; bad pairs are left out', () => {
  const set = { kind: 'sequences', missing_sequences: [[0x4e08, 0xe0101], [0x349e, 0xfe00], [0x41], [-1, 0xfe00], 'x'] };
  assert.equal(logic.missingText(set), '丈\u{e0101} U+4E08 U+E0101  \u349e\ufe00 U+349E U+FE00');
  assert.equal(logic.missingText({ kind: 'sequences' }), '');
  // A set of characters keeps its characters.
  assert.equal(logic.missingText({ kind: 'characters', missing: '亜' }), '亜');
});

test('a refused file reads as the command says it: the error, then the rule', () => {
  assert.equal(logic.faceErrorText({ error: 'not a font file', refusal: 'too short' }), 'not a font file; too short');
  assert.equal(logic.faceErrorText({ error: 'cannot be converted' }), 'cannot be converted');
});

test('missing characters and redraw keys', () => {
  assert.equal(logic.missingText({ missing: '亜', missing_code_points: [0x41] }), '亜');
  assert.equal(logic.missingText({ missing_code_points: [0x41, -1, 0x110000, 1.5, 0x20b9f] }), 'A𠮟');
  assert.equal(logic.missingText({}), '');
  const memo = [];
  const chosen = { fileId: 1, index: 0 };
  assert.ok(logic.changed(memo, ['ja', chosen, 2]));
  assert.ok(!logic.changed(memo, ['ja', chosen, 2]));
  assert.ok(logic.changed(memo, ['ja', { fileId: 1, index: 0 }, 2]));  // another record
  assert.ok(logic.changed(memo, ['ja', chosen]));                      // fewer values
  assert.ok(!logic.sameValues([NaN], [NaN]));                           // NaN is never the same: redrawn
  assert.ok(logic.sameValues([], []));
});

// The map as the map writer makes it: glyphs in <defs>, panels of rows.
const SMALL_MAP = [
  '<?xml version="1.0" encoding="UTF-8"?>',
  '<svg xmlns="http://www.w3.org/2000/svg" width="400" height="300" viewBox="0 0 400 300">',
  '<title>A &lt;b&gt; — coverage map</title>',
  '<style>text{font-family:sans-serif}</style>',
  '<defs>', '<rect id="b" width="40" height="40"/>', '<path id="g0" d="M0 0h4"/>', '</defs>',
  '<text class="t" x="20" y="40">A</text>',
  '<g class="legend present" transform="translate(20 80)"><use href="#b"/></g>',
  '<g id="p1">',
  '<text class="t" x="20" y="120">Panel</text>',
  '<g transform="translate(200 140)"><text class="n" x="-12" y="30">1</text>',
  '<use class="present" data-kuten="01-01" href="#g0" x="0"><title>x U+0078 01-01</title></use>',
  '<g class="missing" data-kuten="01-02"><title>y U+0079 01-02</title><use href="#b" x="44"/><text x="64" y="32">y</text></g>',
  '</g>',
  '<g transform="translate(200 184)"><text class="n" x="-12" y="30">2</text>',
  '<use class="unassigned" data-kuten="02-01" href="#b" x="0"><title>02-01</title></use>',
  '</g>',
  '</g>',
  '</svg>', '',
].join('\n');

test('map pieces: head and pieces give back the whole text, in order, under their groups', () => {
  for (const size of [1, 100, 1e9]) {
    const split = mapPieces(SMALL_MAP, size);
    assert.ok(split, `piece size ${size}`);
    // Putting each piece back at its place gives the text again.
    let rebuilt = '';
    let from = 0;
    let headAt = 0;
    for (const piece of split.pieces) {
      const gap = SMALL_MAP.slice(from, piece.start);
      assert.equal(split.head.slice(headAt, headAt + gap.length), gap);
      rebuilt += gap + SMALL_MAP.slice(piece.start, piece.end);
      headAt += gap.length;
      from = piece.end;
    }
    rebuilt += SMALL_MAP.slice(from);
    assert.equal(rebuilt, SMALL_MAP);
    assert.equal(split.head.length + split.pieces.reduce((n, p) => n + p.end - p.start, 0), SMALL_MAP.length);
    // Only the children of <defs> (parent 0) and of the panel without a
    // transform (parent 2) are cut out; the legend's group (1) stays whole.
    assert.deepEqual([...new Set(split.pieces.map((piece) => piece.parent))], [0, 2]);
    assert.ok(split.head.includes('<g class="legend present" transform="translate(20 80)"><use href="#b"/></g>'));
    assert.ok(split.head.includes('<title>A &lt;b&gt; — coverage map</title>'));
    assert.ok(!split.head.includes('data-kuten'));
  }
  const pieces = mapPieces(SMALL_MAP, 1).pieces;
  // One piece a child at the smallest size: 2 glyphs, 1 text, 2 rows.
  assert.equal(pieces.length, 5);
  assert.deepEqual(pieces.slice(2).map((piece) => [piece.top, piece.bottom]), [[60, 180], [80, 200], [124, 244]]);
  assert.equal(pieces[0].top, Infinity);  // glyphs: no place of their own
});

test('map pieces: text not made as the map writer makes it is parsed whole', () => {
  const broken = [
    SMALL_MAP.replace('</g>\n</g>\n</svg>', '</g>\n</svg>'),                     // a group left open
    SMALL_MAP.replace('</svg>', '</g></svg>'),                                    // one closed too many
    SMALL_MAP.replace('<g id="p1">\n', '<g id="p1">\nloose text\n'),             // text between a panel's rows
    SMALL_MAP.replace('<g id="p1">\n', '<g id="p1">\n<!-- a comment -->\n'),     // a comment inside
  ];
  for (const text of broken) assert.equal(mapPieces(text, 1), null);
  assert.deepEqual(mapPieces('<svg xmlns="http://www.w3.org/2000/svg"/>', 1), { head: '<svg xmlns="http://www.w3.org/2000/svg"/>', pieces: [] });
});
