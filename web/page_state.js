// The page's state and the rules that change it, as plain data and free
// functions: the files and their order, the work for the worker (measuring,
// maps, manuscript checks) and what its answers do, the bytes it holds, the
// face chosen, and the downloads. No DOM and no worker: the views draw from
// this state, main.js sends the work it asks for (worker_client.js), and
// node's tests (web/test/) run it alone.
import { compareFileNames, faceErrorText } from './page_logic.js';
import { newCompare } from './compare_state.js';

// Bytes the worker may hold for later maps and manuscript checks; beyond
// it the least recently used files are forgotten (and sent again if needed).
export const WORKER_BYTE_BUDGET = 256 * 1024 * 1024;

export function newPage() {
  return {
    lang: 'ja',
    files: [],         // input order: {id, name, file, size, status, faces, csvRows, message, reloadError}
    byId: new Map(),
    natural: [],       // the same files in natural order of their names
    nextId: 1,
    queue: [],         // tasks waiting: {fileId, reload}
    measuring: null,   // the task the worker has
    collecting: 0,     // drops and picks whose files are still being listed
    workerReady: false,
    workerFailure: null,
    held: new Map(),   // fileId -> byte count the worker holds, oldest first
    chosen: null,      // {fileId, index}: the face shown
    // The map: the face being drawn, the face shown (or whose error is), the
    // face asked for with #map-show, the face whose drawing Cancel stopped.
    // svgText is the text of the map in the view, for its download.
    map: { pending: null, shown: null, requested: null, cancelled: null, svgText: null },
    // The manuscript check: the text, the check asked and the one shown.
    chars: { text: '', pending: null, shown: null, set: null, error: '' },
    sort: { column: null, descending: false },
    lastRun: { ids: new Set(), cancelled: 0 },  // the files of this run of measuring
    csvHeader: '',     // the CSV header row the worker's module writes
    missingByReason: false,  // the missing lists grouped by why (the command's --why)
    compare: newCompare(),   // the release gate (compare_state.js)
  };
}

// ---- Files ------------------------------------------------------------------

export const fileById = (page, id) => page.byId.get(id);

// A face's key in the map and manuscript records, and in the summary's rows.
export const faceKey = (fileId, index) => `${fileId}:${index}`;

// New files, each queued; `entries` are {name, file} with a File (or any
// object with a size) as `file`.
export function addFiles(page, entries) {
  for (const { name, file } of entries) {
    const entry = {
      id: page.nextId++, name, file, size: file.size, status: 'queued', faces: [], csvRows: null,
      message: '', reloadError: '',
    };
    page.files.push(entry);
    page.byId.set(entry.id, entry);
    enqueue(page, entry);
  }
  page.natural = page.files.slice().sort((a, b) => compareFileNames(a.name, b.name));
}

// Whether files are being measured (reloads for a map or check do not count).
export const busyMeasuring = (page) => Boolean(page.measuring && !page.measuring.reload) ||
  page.queue.some((task) => !task.reload);

// Files added while others are measured join their run (and its progress).
export function enqueue(page, entry) {
  if (!busyMeasuring(page)) page.lastRun = { ids: new Set(), cancelled: 0 };
  entry.status = 'queued';
  page.queue.push({ fileId: entry.id, reload: false });
  page.lastRun.ids.add(entry.id);
}

export function setFileError(entry, message) {
  entry.status = 'error';
  entry.message = message;
}

// A task ended without a result: the file gets `reason` (a reload keeps it
// apart, as the file's own result stands).
export function failTask(page, task, reason) {
  const entry = fileById(page, task.fileId);
  if (task.reload) entry.reloadError = reason;
  else setFileError(entry, reason);
}

// Without a worker every file waiting gets the reason.
export function failQueue(page) {
  for (const task of page.queue) {
    if (!task.reload) setFileError(fileById(page, task.fileId), page.workerFailure);
  }
  page.queue = [];
}

// The next file for the worker, now being measured; null when it has one or
// none waits. The worker has at most one file at a time, which keeps its
// memory small and lets Cancel know exactly which files are unfinished.
export function nextTask(page) {
  if (page.measuring || !page.queue.length) return null;
  page.measuring = page.queue.shift();
  return page.measuring;
}

// A file's result: its faces (the command's JSON objects) and their CSV
// rows. `noResult` is the message of a file that gave no face.
export function takeResult(page, entry, faces, csvRows, noResult) {
  entry.faces = Array.isArray(faces) ? faces : [];
  entry.csvRows = typeof csvRows === 'string' ? csvRows : null;
  const failed = entry.faces.filter((face) => face.error);
  entry.status = entry.faces.length && failed.length < entry.faces.length ? 'done' : 'error';
  // A file the WOFF2 decoder refused part way: its faces carry the core's words.
  const partial = entry.faces.find((face) => !face.error && face.warning);
  entry.message = failed.map(faceErrorText).concat(partial ? [partial.warning] : []).join('; ');
  if (!entry.faces.length) entry.message = noResult;
  if (!page.chosen) chooseFace(page, entry.id, 0);
}

// Cancel: every file not yet measured is marked so; returns nothing, the
// caller starts a new worker. A map being drawn is stopped too, and drawn
// again only when asked.
export function cancelAll(page) {
  let count = 0;
  for (const task of [page.measuring, ...page.queue]) {
    if (!task || task.reload) continue;
    fileById(page, task.fileId).status = 'cancelled';
    count++;
  }
  page.measuring = null;
  page.queue = [];
  page.lastRun.cancelled = count;
  if (page.map.pending) page.map.cancelled = page.map.pending.key;
}

// A new worker holds nothing and has been asked nothing.
export function workerStarting(page) {
  page.workerReady = false;
  page.held.clear();
  page.map.pending = null;
  page.chars.pending = null;
}

// The worker is to be replaced: a file the old one had goes back to the
// front of the queue.
export function requeueMeasuring(page) {
  if (page.measuring) page.queue.unshift(page.measuring);
  page.measuring = null;
}

// ---- The bytes the worker holds ---------------------------------------------

// Records that the worker holds a file's bytes; returns the least recently
// used files to forget beyond the budget (never the chosen one).
export function holdBytes(page, fileId, budget = WORKER_BYTE_BUDGET) {
  const entry = fileById(page, fileId);
  page.held.delete(fileId);
  page.held.set(fileId, entry ? entry.size : 0);
  let total = [...page.held.values()].reduce((sum, size) => sum + size, 0);
  const forget = [];
  for (const [id, size] of page.held) {
    if (total <= budget) break;
    if (page.chosen && page.chosen.fileId === id) continue;
    page.held.delete(id);
    forget.push(id);
    total -= size;
  }
  return forget;
}

// Whether the worker holds a file's bytes, for a map or check of it; when
// not, the file is queued to be sent again (unless reading it failed before).
// Marks a held file as the most recently used, returning files to forget.
export function needBytes(page, fileId) {
  if (page.held.has(fileId)) return { held: true, forget: holdBytes(page, fileId) };
  if (fileById(page, fileId).reloadError) return { held: false, forget: [] };
  const queued = [page.measuring, ...page.queue].some((task) => task && task.fileId === fileId);
  if (!queued) page.queue.unshift({ fileId, reload: true });
  return { held: false, forget: [] };
}

// ---- Choosing a face ----------------------------------------------------------

// The chosen face with its file, or null when none is (or its result has
// not come).
export function chosenFace(page) {
  if (!page.chosen) return null;
  const entry = fileById(page, page.chosen.fileId);
  const face = entry && entry.faces[page.chosen.index];
  return face ? { entry, face, key: faceKey(entry.id, page.chosen.index) } : null;
}

// A cancelled file is measured again when chosen.
export function chooseFace(page, fileId, index) {
  page.chosen = { fileId, index };
  const entry = fileById(page, fileId);
  if (entry && entry.status === 'cancelled') enqueue(page, entry);
}

// The file the Left (-1) and Right (+1) keys go to: the previous or next in
// natural order, the first when none is chosen; null at either end.
export function stepTarget(page, direction) {
  const ordered = page.natural;
  if (!ordered.length) return null;
  const at = page.chosen ? ordered.findIndex((file) => file.id === page.chosen.fileId) : -1;
  const next = at + direction;
  if (at >= 0 && (next < 0 || next >= ordered.length)) return null;
  return ordered[Math.max(next, 0)];
}

// ---- The map and the manuscript check -------------------------------------------

// What the map of the chosen face needs now: nothing (null); {wait} while the
// file is sent to the worker again; {error, key} when the file could not be
// read again; or {send: {fileId, face}, key}, recorded as pending. A map is
// drawn without being asked only when nothing is measured, because putting a
// map of tens of thousands of cells into the page holds it for a moment.
export function mapWork(page) {
  const chosen = chosenFace(page);
  if (!chosen || chosen.face.error || page.map.pending) return null;
  const { key } = chosen;
  if (page.map.shown === key) return null;
  if ((busyMeasuring(page) || page.map.cancelled === key) && page.map.requested !== key) return null;
  if (chosen.entry.reloadError) {
    page.map.shown = key;  // not asked again
    return { error: chosen.entry.reloadError, key };
  }
  const bytes = needBytes(page, chosen.entry.id);
  if (!bytes.held) return { wait: true, forget: bytes.forget };
  page.map.pending = { key, fileId: chosen.entry.id };
  return { send: { fileId: chosen.entry.id, face: chosen.face.face }, key, forget: bytes.forget };
}

// The worker's map: null when it is stale (the choice moved on: it is asked
// again), else {key, face, message} to show, an error or the SVG.
export function takeMap(page, message) {
  const pending = page.map.pending;
  if (!pending || pending.fileId !== message.fileId) return null;
  page.map.pending = null;
  const chosen = chosenFace(page);
  if (!chosen || chosen.key !== pending.key || chosen.face.face !== message.face) return null;
  page.map.shown = pending.key;
  if (typeof message.svg === 'string') {
    page.map.requested = null;
    page.map.cancelled = null;
  }
  return { key: pending.key, face: chosen.face, message };
}

// The map view was emptied: no face's map (or error) is shown.
export function mapCleared(page) {
  page.map.shown = null;
  page.map.svgText = null;
}

// Whether the chosen face's map waits for measuring to end (or for #map-show
// after Cancel stopped it), and whether it can be drawn at all.
export function mapWaiting(page) {
  const chosen = chosenFace(page);
  const drawable = Boolean(chosen && !chosen.face.error);
  const key = chosen && chosen.key;
  const waiting = drawable && page.map.shown !== key && !page.map.pending &&
    (busyMeasuring(page) || page.map.cancelled === key) && page.map.requested !== key;
  return { drawable, waiting, cancelled: Boolean(key && page.map.cancelled === key) };
}

// The manuscript check's key: the chosen face and the text.
export function charsKey(page) {
  const chosen = chosenFace(page);
  return chosen && `${chosen.key}\n${page.chars.text}`;
}

// The check of the chosen face against the manuscript, when one is due:
// {send: {fileId, face, text}, forget}, recorded as pending; else null.
export function charsWork(page) {
  const chosen = chosenFace(page);
  if (!chosen || chosen.face.error || !page.chars.text || page.chars.pending) return null;
  const key = charsKey(page);
  if (page.chars.shown === key) return null;
  const bytes = needBytes(page, chosen.entry.id);
  if (!bytes.held) return null;
  page.chars.pending = { key, fileId: chosen.entry.id };
  return { send: { fileId: chosen.entry.id, face: chosen.face.face, text: page.chars.text }, forget: bytes.forget };
}

// The worker's check; a stale one is dropped (the next round asks again).
export function takeChars(page, message, unknownReason) {
  const pending = page.chars.pending;
  if (!pending || pending.fileId !== message.fileId) return;
  page.chars.pending = null;
  if (charsKey(page) !== pending.key) return;
  page.chars.shown = pending.key;
  page.chars.set = message.set && typeof message.set === 'object' ? message.set : null;
  page.chars.error = page.chars.set ? '' : String(message.error || unknownReason);
}

// The worker failed on `fileId`: a check of it that is pending shows the
// reason (and is not asked again).
export function failChars(page, fileId, reason) {
  const pending = page.chars.pending;
  if (!pending || pending.fileId !== fileId) return;
  Object.assign(page.chars, { shown: pending.key, set: null, error: reason });
}

// ---- Progress ---------------------------------------------------------------------

// Where this run of measuring stands: the file being measured, how many
// are done of how many, how many wait, and how many failed.
export function progress(page) {
  const waiting = page.queue.filter((task) => !task.reload).length;
  const measuring = page.measuring && !page.measuring.reload ? fileById(page, page.measuring.fileId) : null;
  const total = page.lastRun.ids.size;
  const done = total - waiting - (measuring ? 1 : 0);
  const failed = [...page.lastRun.ids].filter((id) => fileById(page, id).status === 'error').length;
  return { waiting, measuring, total, done, failed };
}

// No file is being listed, waits or is being measured.
export const idle = (page) => page.collecting === 0 && !page.queue.some((task) => !task.reload) &&
  !(page.measuring && !page.measuring.reload);

// ---- Downloads ------------------------------------------------------------------------

// Every face measured, in input order: file by file, face by face.
export const measuredFaces = (page) => page.files.flatMap((entry) => entry.faces);

// Files that gave no face, which the downloads leave out.
export const unmeasuredFiles = (page) => page.files.filter((entry) => !entry.faces.length).length;

// The JSON download: the command's layout, one face to a line.
export function jsonDocument(page) {
  const faces = measuredFaces(page).map((face) => JSON.stringify(face));
  return `{"schema": 1, "faces": [\n${faces.join(',\n')}\n]}\n`;
}

// The CSV download: the header and the rows the worker's module wrote (the
// command's CSV writer), in input order; null when a measured file came
// without its rows.
export function csvDocument(page) {
  const measured = page.files.filter((entry) => entry.faces.length);
  if (!page.csvHeader || measured.some((entry) => entry.csvRows === null)) return null;
  return page.csvHeader + measured.map((entry) => entry.csvRows).join('');
}

// The name the command's --map-dir gives a face's map: the file's name, the
// face for a collection, ".svg".
export function mapFileName(entry, face) {
  let name = entry.name.slice(entry.name.lastIndexOf('/') + 1);
  if (face.faces > 1) name += `.${face.face}`;
  return `${name}.svg`;
}
