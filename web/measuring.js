// The page's work with the worker: what to send it next and what its
// answers and failures do to the state (page_state.js), through the worker
// client. `render()` is called after each change.
import { text } from './language.js';
import {
  cancelAll, charsWork, chooseFace, failChars, failQueue, failTask, fileById, holdBytes, mapWork,
  nextTask, requeueMeasuring, takeChars, takeMap, takeResult, workerStarting,
} from './page_state.js';
import {
  haveWorker, sendChars, sendCompare, sendForget, sendMap, sendMeasure, startWorker, stopWorker,
} from './worker_client.js';
import { compareRequest, takeComparison } from './compare_state.js';
import { showMap, showMapError, showMapLoading } from './map_view.js';
import { showMessage } from './status_view.js';
import { renderFiles } from './file_list_view.js';

let page = null;
let render = () => {};

export function startMeasuring(state, renderAll) {
  page = state;
  render = renderAll;
  newWorker();
}

function newWorker() {
  workerStarting(page);
  startWorker({ message: onWorkerMessage, failure: onWorkerFailure });
}

function onWorkerFailure(reason) {
  const why = reason || text('unknownReason');
  if (!page.workerReady) workerCannotStart(why);
  else workerStopped(why);
}

// The module never came up: no file can be measured.
function workerCannotStart(reason) {
  stopWorker();
  page.workerFailure = text('workerNotStarted', reason.replace(/[.。]\s*$/, ''));
  page.measuring = null;
  failQueue(page);
  render();
}

// The worker died while working (out of memory, say): the file it had gets
// the message, a new worker takes the rest.
function workerStopped(reason) {
  const task = page.measuring;
  page.measuring = null;
  if (task) failTask(page, task, text('workerFailed', reason));
  if (page.map.pending) showMapError(page, text('workerFailed', reason), page.map.pending.key);
  restartWorker();
  render();
}

// A new worker; a file the old one had is sent to it again.
function restartWorker() {
  stopWorker();
  requeueMeasuring(page);
  newWorker();
}

export function cancel() {
  stopWorker();
  cancelAll(page);
  newWorker();
  render();
}

// Asks the worker to compare the two sides chosen.
export function compareSides() {
  if (!haveWorker() || !page.workerReady) return;
  const request = compareRequest(page);
  if (request) sendCompare(request.older, request.newer, request.byIndex, request.token);
  render();
}

export function choose(fileId, index) {
  chooseFace(page, fileId, index);
  pump();
  render();
}

// Sends the worker its next piece of work: the map and manuscript check of
// the chosen face first, so that they do not wait for a long queue, then the
// next file.
export function pump() {
  if (page.workerFailure) failQueue(page);
  if (!haveWorker() || !page.workerReady) return;
  askMap();
  askChars();
  const task = nextTask(page);
  if (task) sendFile(task);
}

function askMap() {
  const work = mapWork(page);
  if (!work) return;
  if (work.forget) sendForget(work.forget);
  if (work.error) {
    showMapError(page, text('mapFailed', work.error), work.key);
    return;
  }
  showMapLoading(page);
  if (work.send) sendMap(work.send.fileId, work.send.face);
}

function askChars() {
  const work = charsWork(page);
  if (!work) return;
  sendForget(work.forget);
  sendChars(work.send.fileId, work.send.face, work.send.text);
}

async function sendFile(task) {
  const entry = fileById(page, task.fileId);
  if (!task.reload) entry.status = 'reading';
  renderFiles(page, choose);
  let bytes;
  try {
    bytes = await entry.file.arrayBuffer();
  } catch (error) {
    if (page.measuring !== task) return;
    page.measuring = null;
    failTask(page, task, text('readFailed', error.message || error.name));
    pump();
    render();
    return;
  }
  if (page.measuring !== task) return;  // cancelled while reading
  sendMeasure(entry.id, entry.name, bytes);
}

function onWorkerMessage(message) {
  if (!message || typeof message !== 'object') return;
  const task = page.measuring;
  const isMeasured = task && task.fileId === message.fileId;
  switch (message.type) {
    case 'ready':
      page.workerReady = true;
      break;
    case 'started':
      if (isMeasured && !task.reload) fileById(page, task.fileId).status = 'measuring';
      break;
    case 'result':
      if (!isMeasured) return;
      takeMeasured(task, message);
      break;
    case 'map': {
      const taken = takeMap(page, message);
      if (taken) showMap(page, taken);
      break;
    }
    case 'chars':
      takeChars(page, message, text('unknownReason'));
      break;
    case 'compare':
      takeComparison(page.compare, message);
      break;
    case 'error':
      takeError(message, isMeasured ? task : null);
      break;
    default:
      return;
  }
  pump();
  render();
}

function takeMeasured(task, message) {
  page.measuring = null;
  // Bytes of a file with no measurable face are of no further use. The
  // others are held before the file's face is chosen, so that its map does
  // not send the file again.
  const { faces, csv } = message;
  if (Array.isArray(faces) && faces.some((face) => face && !face.error)) sendForget(holdBytes(page, task.fileId));
  else sendForget([task.fileId]);
  if (task.reload) return;
  const written = csv && typeof csv === 'object' && typeof csv.header === 'string' ? csv : null;
  if (written) page.csvHeader = written.header;
  takeResult(page, fileById(page, task.fileId), faces, written && written.rows,
    text('workerFailed', text('noResult')));
}

function takeError(message, task) {
  const reason = String(message.message || text('unknownReason'));
  if (!page.workerReady) {
    workerCannotStart(reason);
    return;
  }
  if (task) {
    page.measuring = null;
    failTask(page, task, reason);
  }
  const map = page.map.pending;
  if (map && map.fileId === message.fileId) showMapError(page, reason, map.key);
  const chars = page.chars.pending;
  failChars(page, message.fileId, reason);
  if (!task && !map && !chars) showMessage(reason);
  // The module may have stopped (out of memory): the next files get a new one.
  restartWorker();
}
