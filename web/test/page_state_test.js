// The page's state without a browser: the queue and its one file at a time,
// results, Cancel, the worker's byte budget, the map's and the manuscript
// check's rounds, the keys, and the downloads' text.
// Run: node --test web/test/
import test from 'node:test';
import assert from 'node:assert/strict';
import * as state from '../page_state.js';

const file = (size) => ({ size });
const face = (index, extra = {}) => ({ schema: 1, path: 'x', face: index, faces: 1, family: 'F', sets: [], ...extra });

function pageWith(names, sizes = []) {
  const page = state.newPage();
  state.addFiles(page, names.map((name, i) => ({ name, file: file(sizes[i] || 10) })));
  return page;
}

// Measures the next file with `faces` (and CSV rows), as the worker's answer does.
function measureNext(page, faces, rows = null) {
  const task = state.nextTask(page);
  page.measuring = null;
  state.takeResult(page, state.fileById(page, task.fileId), faces, rows, 'no result');
  return task;
}

test('files are queued in input order, listed in natural order, measured one at a time', () => {
  const page = pageWith(['b10.ttf', 'b9.ttf', 'A.ttf']);
  assert.deepEqual(page.files.map((entry) => entry.name), ['b10.ttf', 'b9.ttf', 'A.ttf']);
  assert.deepEqual(page.natural.map((entry) => entry.name), ['A.ttf', 'b9.ttf', 'b10.ttf']);
  assert.ok(state.busyMeasuring(page));
  const first = state.nextTask(page);
  assert.equal(first.fileId, 1);
  assert.equal(state.nextTask(page), null, 'one file at a time');
  assert.deepEqual(state.progress(page), { waiting: 2, measuring: page.files[0], total: 3, done: 0, failed: 0 });
  assert.ok(!state.idle(page));
});

test('a result sets the status and message, and the first result is chosen', () => {
  const page = pageWith(['a.ttc', 'b.ttf', 'c.ttf']);
  measureNext(page, [face(0), face(1, { error: 'bad glyf' })]);
  assert.equal(page.files[0].status, 'done');
  assert.equal(page.files[0].message, 'bad glyf');
  assert.deepEqual(page.chosen, { fileId: 1, index: 0 });
  measureNext(page, [face(0, { error: 'not a font' })]);
  assert.equal(page.files[1].status, 'error');
  measureNext(page, 'not a list');
  assert.equal(page.files[2].status, 'error');
  assert.equal(page.files[2].message, 'no result');
  assert.deepEqual(page.chosen, { fileId: 1, index: 0 }, 'a later result leaves the choice');
  assert.deepEqual(state.progress(page), { waiting: 0, measuring: null, total: 3, done: 3, failed: 2 });
  assert.ok(state.idle(page));
  assert.equal(state.unmeasuredFiles(page), 1);
  assert.equal(state.measuredFaces(page).length, 3);
});

test('a file the WOFF2 decoder refused part way is done, with the warning beside it', () => {
  const page = pageWith(['big.woff2', 'mixed.woff2']);
  measureNext(page, [face(0, { warning: 'decoder refused' }), face(1, { warning: 'decoder refused' })]);
  assert.equal(page.files[0].status, 'done');
  assert.equal(page.files[0].message, 'decoder refused', 'said once for the file');
  measureNext(page, [face(0, { error: 'bad glyf' }), face(1, { warning: 'decoder refused' })]);
  assert.equal(page.files[1].message, 'bad glyf; decoder refused');
});

test('Cancel marks the unfinished files; choosing one measures it again in a new run', () => {
  const page = pageWith(['a.ttf', 'b.ttf', 'c.ttf']);
  measureNext(page, [face(0)]);
  state.nextTask(page);
  page.queue.unshift({ fileId: 1, reload: true });  // a reload does not count
  state.cancelAll(page);
  assert.deepEqual(page.files.map((entry) => entry.status), ['done', 'cancelled', 'cancelled']);
  assert.equal(page.lastRun.cancelled, 2);
  assert.equal(page.queue.length, 0);
  state.chooseFace(page, 3, 0);
  assert.equal(page.files[2].status, 'queued');
  assert.deepEqual(page.lastRun, { ids: new Set([3]), cancelled: 0 });
});

test('a worker failure fails the queue; a lost reload keeps the file\'s result', () => {
  const page = pageWith(['a.ttf', 'b.ttf']);
  measureNext(page, [face(0)]);
  state.failTask(page, { fileId: 1, reload: true }, 'gone');
  assert.equal(page.files[0].status, 'done');
  assert.equal(page.files[0].reloadError, 'gone');
  page.workerFailure = 'no module';
  state.failQueue(page);
  assert.equal(page.files[1].status, 'error');
  assert.equal(page.files[1].message, 'no module');
});

test('the worker holds files within its budget, forgetting the oldest but never the chosen one', () => {
  const page = pageWith(['a.ttf', 'b.ttf', 'c.ttf'], [60, 30, 30]);
  page.queue = [];  // all measured
  page.chosen = { fileId: 1, index: 0 };
  assert.deepEqual(state.holdBytes(page, 1, 100), []);
  assert.deepEqual(state.holdBytes(page, 2, 100), []);
  assert.deepEqual(state.holdBytes(page, 3, 100), [2], 'the chosen file stays though it is older');
  assert.deepEqual([...page.held.keys()], [1, 3]);
  assert.deepEqual(state.holdBytes(page, 1, 100), [], 'now the most recent');
  assert.deepEqual([...page.held.keys()], [3, 1]);
  // A file not held is sent again first, once.
  assert.deepEqual(state.needBytes(page, 2), { held: false, forget: [] });
  assert.deepEqual(state.needBytes(page, 2), { held: false, forget: [] });
  assert.deepEqual(page.queue.filter((task) => task.fileId === 2), [{ fileId: 2, reload: true }]);
  assert.equal(page.queue[0].fileId, 2);
});

test('the map is drawn unasked only when nothing is measured, once per face', () => {
  const page = pageWith(['a.ttf', 'b.ttf']);
  measureNext(page, [face(0)]);
  state.holdBytes(page, 1);
  assert.equal(state.mapWork(page), null, 'b.ttf waits to be measured');
  assert.deepEqual(state.mapWaiting(page), { drawable: true, waiting: true, cancelled: false });
  page.map.requested = state.faceKey(1, 0);  // Show
  const work = state.mapWork(page);
  assert.deepEqual(work.send, { fileId: 1, face: 0 });
  assert.equal(state.mapWork(page), null, 'one map at a time');
  // The choice moved on before the map came: it is dropped and asked again.
  state.chooseFace(page, 2, 0);
  assert.equal(state.takeMap(page, { fileId: 1, face: 0, svg: '<svg/>' }), null);
  assert.equal(page.map.pending, null);
  state.chooseFace(page, 1, 0);
  state.mapWork(page);
  const taken = state.takeMap(page, { fileId: 1, face: 0, svg: '<svg/>' });
  assert.equal(taken.key, '1:0');
  assert.equal(page.map.shown, '1:0');
  assert.equal(page.map.requested, null);
  assert.equal(state.mapWork(page), null, 'shown: not asked again');
  state.mapCleared(page);
  assert.equal(page.map.shown, null);
});

test('the map of a file not held waits for it; one that cannot be read again is an error', () => {
  const page = pageWith(['a.ttf']);
  measureNext(page, [face(0)]);
  assert.deepEqual(state.mapWork(page), { wait: true, forget: [] });
  assert.deepEqual(page.queue, [{ fileId: 1, reload: true }]);
  assert.ok(!state.busyMeasuring(page), 'a reload is not measuring');
  page.queue = [];
  page.files[0].reloadError = 'cannot read';
  assert.deepEqual(state.mapWork(page), { error: 'cannot read', key: '1:0' });
  assert.equal(state.mapWork(page), null);
  // A face that was not measured has no map.
  const failed = pageWith(['x.ttf']);
  measureNext(failed, [face(0, { error: 'bad' })]);
  assert.equal(state.mapWork(failed), null);
  assert.deepEqual(state.mapWaiting(failed), { drawable: false, waiting: false, cancelled: false });
});

test('a manuscript check is asked once per face and text; a stale answer is dropped', () => {
  const page = pageWith(['a.ttf']);
  measureNext(page, [face(0)]);
  state.holdBytes(page, 1);
  assert.equal(state.charsWork(page), null, 'no text');
  page.chars.text = '猫';
  assert.deepEqual(state.charsWork(page).send, { fileId: 1, face: 0, text: '猫' });
  assert.equal(state.charsWork(page), null, 'one at a time');
  page.chars.text = '猫犬';
  state.takeChars(page, { fileId: 1, set: { total: 1, present: 1 } }, '?');
  assert.equal(page.chars.shown, null, 'for the old text');
  state.charsWork(page);
  state.takeChars(page, { fileId: 1, set: { total: 2, present: 1 } }, '?');
  assert.equal(page.chars.shown, state.charsKey(page));
  assert.equal(page.chars.set.present, 1);
  assert.equal(state.charsWork(page), null);
  page.chars.text = 'x';
  state.charsWork(page);
  state.failChars(page, 1, 'stopped');
  assert.deepEqual([page.chars.shown, page.chars.set, page.chars.error], ['1:0\nx', null, 'stopped']);
  state.takeChars(page, { fileId: 1 }, 'unknown');
  assert.equal(page.chars.error, 'unknown');
});

test('a new worker holds nothing; the file the old one had is sent again first', () => {
  const page = pageWith(['a.ttf', 'b.ttf']);
  state.holdBytes(page, 1);
  const task = state.nextTask(page);
  page.map.pending = { key: '1:0', fileId: 1 };
  state.requeueMeasuring(page);
  state.workerStarting(page);
  assert.equal(page.queue[0], task);
  assert.equal(page.measuring, null);
  assert.equal(page.held.size, 0);
  assert.equal(page.map.pending, null);
  assert.equal(page.workerReady, false);
});

test('the Left and Right keys step through files in natural order and stop at the ends', () => {
  const page = pageWith(['b.ttf', 'a10.ttf', 'a9.ttf']);
  assert.equal(state.stepTarget(page, 1).name, 'a9.ttf', 'nothing chosen: the first');
  assert.equal(state.stepTarget(page, -1).name, 'a9.ttf');
  state.chooseFace(page, state.stepTarget(page, 1).id, 0);
  assert.equal(state.stepTarget(page, -1), null);
  assert.equal(state.stepTarget(page, 1).name, 'a10.ttf');
  state.chooseFace(page, 1, 0);
  assert.equal(state.stepTarget(page, 1), null);
  assert.equal(state.stepTarget(state.newPage(), 1), null);
});

test('downloads: the JSON in the command\'s layout, the CSV of the module\'s rows in input order', () => {
  const page = pageWith(['b.ttf', 'bad.ttf', 'a.ttc']);
  assert.equal(state.jsonDocument(page), '{"schema": 1, "faces": [\n\n]}\n');
  measureNext(page, [face(0, { family: 'Say "Hi"' })], 'b.ttf,ttf,0,"Say ""Hi""",\n');
  measureNext(page, [], '');
  page.csvHeader = 'path,container\n';
  assert.equal(state.csvDocument(page), 'path,container\nb.ttf,ttf,0,"Say ""Hi""",\n');
  measureNext(page, [face(0), face(1)], 'a.ttc,0\na.ttc,1\n');
  assert.equal(state.csvDocument(page), 'path,container\nb.ttf,ttf,0,"Say ""Hi""",\na.ttc,0\na.ttc,1\n');
  assert.equal(state.jsonDocument(page),
    `{"schema": 1, "faces": [\n${[face(0, { family: 'Say "Hi"' }), face(0), face(1)].map((f) => JSON.stringify(f)).join(',\n')}\n]}\n`);
  // A measured file without its rows (a worker that writes none): no CSV,
  // rather than one that leaves faces out.
  const other = pageWith(['c.ttf']);
  other.csvHeader = 'path\n';
  measureNext(other, [face(0)], undefined);
  assert.equal(state.csvDocument(other), null);
  assert.equal(state.csvDocument(state.newPage()), null);
});

test('a map\'s file name is the command\'s --map-dir name', () => {
  assert.equal(state.mapFileName({ name: 'dir/sub/a.ttf' }, { face: 0, faces: 1 }), 'a.ttf.svg');
  assert.equal(state.mapFileName({ name: 'c.ttc' }, { face: 2, faces: 3 }), 'c.ttc.2.svg');
});
