// The page's release gate without a browser: reports beside fonts, the two
// sides and what is asked of the worker, stale answers, and the answer in
// the command's words; the missing lists grouped by reason.
// Run: node --test web/test/
import test from 'node:test';
import assert from 'node:assert/strict';
import * as state from '../page_state.js';
import * as compare from '../compare_state.js';
import { missingByReason, verticalMetricsText } from '../page_logic.js';

const WORDS = { same: 'SAME', unmatched: 'UNMATCHED', error: (words) => `ERROR ${words}` };

function pageWithFonts(...results) {
  const page = state.newPage();
  state.addFiles(page, results.map((_, i) => ({ name: `f${i}.ttf`, file: { size: 1 } })));
  for (const faces of results) {
    const task = state.nextTask(page);
    page.measuring = null;
    state.takeResult(page, state.fileById(page, task.fileId), faces, null, 'none');
  }
  return page;
}

const measured = (index) => ({ schema: 1, path: 'x', face: index, faces: 1, family: 'F', sets: [] });

test('reports are told from fonts by their names', () => {
  assert.ok(compare.isReportName('baseline.json'));
  assert.ok(compare.isReportName('OLD.JSONL'));
  assert.ok(!compare.isReportName('font.ttf'));
  assert.ok(!compare.isReportName('json.otf'));
});

test('the choices are the fonts with a measured face and the reports', () => {
  const page = pageWithFonts([measured(0)], [{ schema: 1, path: 'y', error: 'cannot open' }]);
  compare.addReport(page.compare, 'old.json', '{}');
  assert.deepEqual(compare.compareChoices(page).map((choice) => choice.value), ['f1', 'r1']);
  assert.equal(compare.sideText(page, 'r1'), '{}');
  assert.deepEqual(JSON.parse(compare.sideText(page, 'f1')), { schema: 1, faces: [measured(0)] });
  assert.equal(compare.sideText(page, 'r9'), null);
  assert.equal(compare.sideText(page, 'f9'), null);
});

test('a comparison is asked only for two different sides, and old answers are dropped', () => {
  const page = pageWithFonts([measured(0)], [measured(0)]);
  compare.addReport(page.compare, 'old.json', '{"schema": 1, "faces": []}');
  assert.equal(compare.compareRequest(page), null);
  page.compare.older = 'f1';
  page.compare.newer = 'f1';
  assert.equal(compare.compareRequest(page), null);
  page.compare.newer = 'f2';
  const fonts = compare.compareRequest(page);
  assert.equal(fonts.byIndex, true);  // two fonts: face for face, as --compare
  assert.ok(page.compare.pending);
  page.compare.older = 'r1';
  const withReport = compare.compareRequest(page);
  assert.equal(withReport.byIndex, false);  // a report: as --baseline
  assert.equal(compare.takeComparison(page.compare, { token: fonts.token, result: {} }), false);
  assert.ok(page.compare.pending);
  assert.equal(compare.takeComparison(page.compare, { token: withReport.token, result: { faces: [] } }), true);
  assert.ok(!page.compare.pending);
  assert.deepEqual(page.compare.result, { faces: [] });
});

test('the answer reads in the command\'s words', () => {
  const result = {
    faces: [
      { path: 'new.ttf', face: 0, lost: { hiragana: [12354] }, lines: ['lost ひらがな：1', '  unmapped (1)', '    あ'] },
      { path: 'new.ttc', face: 1, lost: {}, gained: {}, lines: [] },
      { path: 'other.ttf', face: 0 },
    ],
    gone: [{ path: 'old/b.ttf', face: 0, faces: 1 }, { path: 'old/c.ttc', face: 2, faces: 3 }],
  };
  assert.equal(compare.comparisonText(result, WORDS), [
    'new.ttf (face 0)\nlost ひらがな：1\n  unmapped (1)\n    あ',
    'new.ttc (face 1)\nSAME',
    'other.ttf (face 0)\nUNMATCHED',
    'gone: old/b.ttf',
    'gone: old/c.ttc (face 2)',
  ].join('\n\n'));
  assert.ok(compare.comparisonHasLoss(result));
  assert.ok(!compare.comparisonHasLoss({ faces: [result.faces[1]], gone: [] }));
  assert.equal(compare.comparisonText({ error: 'not JSON' }, WORDS), 'ERROR not JSON');
  assert.equal(compare.comparisonText(null, WORDS), '');
});

test('missing members group by reason in the order of --why', () => {
  const set = { missing_code_points: [0x3042, 0x3044, 0x3046], missing_reasons: ['no-ink', 'unmapped', 'no-ink'] };
  assert.deepEqual(missingByReason(set), [
    { reason: 'unmapped', count: 1, text: 'い' },
    { reason: 'no-ink', count: 2, text: 'あう' },
  ]);
  const sequences = { kind: 'sequences', missing_sequences: [[0x4E08, 0xE0101]], missing_reasons: ['not-in-format-14'] };
  assert.deepEqual(missingByReason(sequences),
    [{ reason: 'not-in-format-14', count: 1, text: '丈\u{E0101} U+4E08 U+E0101' }]);
  // Reasons that do not match the list give no groups, rather than wrong ones.
  assert.deepEqual(missingByReason({ missing_code_points: [0x3042], missing_reasons: [] }), []);
  assert.deepEqual(missingByReason({ missing_code_points: [0x3042] }), []);
});

test('the vertical metrics tables in words, VORG only for CFF faces', () => {
  assert.equal(verticalMetricsText({ vertical_metrics: { vhea: true, vmtx: true, VORG: null } }, 'LACK'),
    'vhea ✓ · vmtx ✓');
  assert.equal(verticalMetricsText({ vertical_metrics: { vhea: true, vmtx: true, VORG: false } }, 'LACK'),
    'vhea ✓ · vmtx ✓ · VORG –');
  assert.equal(verticalMetricsText({ vertical_metrics: { vhea: false, vmtx: true, VORG: null } }, 'LACK'),
    'vhea – · vmtx ✓ LACK');
  assert.equal(verticalMetricsText({ error: 'x' }, 'LACK'), '');
});
