// The one place that talks to the worker (worker.js; its messages are in
// docs/web-page.md): starts it, sends it files, maps, manuscript checks and
// forgets, and hands its answers on. A replaced worker's late answers are
// dropped.
let worker = null;
let handlers = null;

// `on.message(data)` gets each answer; `on.failure(reason)` when the worker
// fails (before or after its "ready").
export function startWorker(on) {
  handlers = on;
  let started;
  try {
    started = new Worker('worker.js');
  } catch (error) {
    worker = null;
    on.failure(error.message || String(error));
    return;
  }
  worker = started;
  started.onmessage = (event) => { if (worker === started) handlers.message(event.data); };
  started.onerror = (event) => {
    event.preventDefault();
    if (worker === started) handlers.failure(event.message || '');
  };
}

export function stopWorker() {
  if (worker) worker.terminate();
  worker = null;
}

export const haveWorker = () => worker !== null;

// The file's bytes are handed over (transferred), not copied.
export function sendMeasure(fileId, name, bytes) {
  worker.postMessage({ type: 'measure', fileId, name, bytes }, [bytes]);
}

export function sendMap(fileId, face) {
  worker.postMessage({ type: 'map', fileId, face });
}

export function sendChars(fileId, face, text) {
  worker.postMessage({ type: 'chars', fileId, face, text });
}

export function sendForget(fileIds) {
  for (const fileId of fileIds) worker.postMessage({ type: 'forget', fileId });
}

// Two reports (JSON text) to compare; the answer carries `token` back.
export function sendCompare(older, newer, byIndex, token) {
  worker.postMessage({ type: 'compare', older, newer, byIndex, token });
}
