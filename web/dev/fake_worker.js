// A stand-in for worker.js while the WebAssembly module does not exist: it
// answers the page's messages (docs/web-page.md) by asking dev_server.py, which runs
// the native command. Not shipped; for development only.
'use strict';
const files = new Map();

async function ask(path, query, body) {
  const response = await fetch(`${path}?${new URLSearchParams(query)}`, { method: 'POST', body });
  if (!response.ok) throw new Error(await response.text());
  return response;
}

async function handle(message) {
  const { type, fileId, face } = message;
  if (type === 'forget') { files.delete(fileId); return; }
  if (type === 'measure') {
    files.set(fileId, { name: message.name, bytes: message.bytes });
    postMessage({ type: 'started', fileId });
    const faces = await (await ask('/dev/measure', { name: message.name }, message.bytes)).json();
    postMessage({ type: 'result', fileId, faces });
    return;
  }
  const file = files.get(fileId);
  if (!file) throw new Error('no such file');
  if (type === 'map') {
    try {
      const svg = await (await ask('/dev/map', { name: file.name, face }, file.bytes)).text();
      postMessage({ type: 'map', fileId, face, svg });
    } catch (error) {
      postMessage({ type: 'map', fileId, face, error: String(error.message) });
    }
  } else if (type === 'chars') {
    const text = new TextEncoder().encode(message.text);
    const body = new Blob([text, file.bytes]);
    const faces = await (await ask('/dev/chars', { name: file.name, face, text: text.length }, body)).json();
    postMessage({ type: 'chars', fileId, face, set: faces[0].sets[0] });
  }
}

// One message at a time, in order, as the real worker does.
let chain = Promise.resolve();
onmessage = (event) => {
  chain = chain.then(() => handle(event.data)).catch((error) => {
    postMessage({ type: 'error', fileId: event.data.fileId, message: String(error.message) });
  });
};
postMessage({ type: 'ready' });
