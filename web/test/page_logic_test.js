// The page's rules that would break silently: the natural order of file
// names (it must agree with fontio/font_file_names.cpp), the folder walk, the
// count wording, the CSV writer, the summary sort and the string table.
// Run: node --test web/test/
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const logic = require('../page_logic.js');

const sign = (n) => Math.sign(n);

test('natural order agrees with CompareNaturally', () => {
  const cases = [
    ['a2.ttf', 'a10.ttf', -1],
    ['a10.ttf', 'a9.ttf', 1],
    ['v1.2.ttf', 'v1.10.ttf', -1],
    ['a01.ttf', 'a1.ttf', 0],
    ['a0.ttf', 'a00001.ttf', -1],
    // Digit runs of any length, beyond every integer type.
    ['n99999999999999999999.ttf', 'n100000000000000000000.ttf', -1],
    ['n18446744073709551616', 'n18446744073709551617', -1],
    ['a1', 'aa', -1],
    ['9', 'a', -1],
    ['a9z', 'a10', -1],
    ['Font.TTF', 'font.ttf', 0],
    ['apple', 'Banana', -1],
    ['a', 'ab', -1],
    ['ab', 'a', 1],
    ['', '', 0],
    ['_x', 'A', -1],
    ['z.ttf', 'あ.ttf', -1],
    // Code point order, as UTF-8 bytes give in the command: U+FF21 before
    // U+20B9F, though its UTF-16 unit is larger than the surrogate's.
    ['Ａ.ttf', '𠮟.ttf', -1],
    // Only ASCII digits are digits.
    ['x٢', 'x3', 1],
  ];
  for (const [a, b, expected] of cases) {
    assert.equal(sign(logic.compareNaturally(a, b)), expected, `${a} vs ${b}`);
    assert.equal(sign(logic.compareNaturally(b, a)), -expected || 0, `${b} vs ${a}`);
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

const set = (id, present) => ({ id, label: id, total: 100, present, missing: '', missing_code_points: [] });

test('CSV has the command\'s header, quoting and empty fields', () => {
  const faces = [
    { schema: 1, path: 'a,b.ttf', container: 'ttf', face: 0, faces: 1, family: 'Say "Hi"\nNow',
      sets: [set('ascii-letters', 52), set('cyrillic', 0)] },
    { schema: 1, path: 'bad.ttf', container: null, face: null, faces: null, family: null, error: 'not a font' },
  ];
  const lines = logic.facesToCsv(faces).split('\n');
  assert.equal(lines[0], 'path,container,face,family,error,ascii-letters,digits,ascii-symbols,' +
    'hiragana,katakana,education-kanji,regular-use-kanji,jis-x-0208-level-1,jis-x-0208-level-2,' +
    'jis-x-0213-level-3,jis-x-0213-level-4,ibm-extensions,nec-special,greek,cyrillic');
  assert.equal(lines[1], '"a,b.ttf",ttf,0,"Say ""Hi""');
  assert.equal(lines[2], `Now",,52${',' .repeat(13)},0`);
  assert.equal(lines[3], `bad.ttf,,,,not a font${','.repeat(15)}`);
  assert.equal(lines[4], '');
  assert.equal(lines.length, 5);
  assert.equal(logic.csvField('a\rb', ','), '"a\rb"');
  assert.equal(logic.csvField('a\tb', '\t'), '"a\tb"');
  assert.equal(logic.csvField('a\tb', ','), 'a\tb');
  // A set that is not built in gets a column after them.
  assert.match(logic.facesToCsv([{ path: 'x', sets: [set('text', 3)] }]), /,cyrillic,text\nx,,,,(,){16}3\n$/);
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
  const fs = require('node:fs');
  const path = require('node:path');
  const strings = require('../i18n.js');
  const read = (name) => fs.readFileSync(path.join(__dirname, '..', name), 'utf8');
  assert.deepEqual(Object.keys(strings.en).sort(), Object.keys(strings.ja).sort());
  for (const key of Object.keys(strings.ja)) assert.equal(typeof strings.en[key], typeof strings.ja[key], key);
  const asked = [
    ...[...read('app.js').matchAll(/text\('([A-Za-z]+)'/g)],
    ...[...read('app.js').matchAll(/: '(status[A-Z][a-z]+)'/g)],
    ...[...read('index.html').matchAll(/data-text="([A-Za-z]+)"/g)],
  ].map((match) => match[1]);
  assert.ok(asked.length > 40);
  for (const key of asked) assert.ok(key in strings.ja, `no string "${key}"`);
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
    const split = logic.mapPieces(SMALL_MAP, size);
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
  const pieces = logic.mapPieces(SMALL_MAP, 1).pieces;
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
  for (const text of broken) assert.equal(logic.mapPieces(text, 1), null);
  assert.deepEqual(logic.mapPieces('<svg xmlns="http://www.w3.org/2000/svg"/>', 1), { head: '<svg xmlns="http://www.w3.org/2000/svg"/>', pieces: [] });
});
