// The worker of the browser page: measures font files with the WebAssembly
// module (glyphcensus.js, glyphcensus.wasm), which runs the command's own
// measuring and writers. The messages are described in docs/web-page.md.
//
// Each file's bytes stay here until the page sends "forget": the map and the
// manuscript check measure the file again from them. Every call gets its own
// copy in the module's memory, as measuring readies the image in place.
'use strict';

let moduleReady = false;
let moduleFailure = null;  // why the module stopped, once it has
const waiting = [];   // messages that came before the module was ready
const held = new Map();    // fileId -> {name, bytes (Uint8Array)}

var Module = {
  print: () => {},     // the module writes nothing; results are returned
  printErr: () => {},
  locateFile: (name) => name,
  onRuntimeInitialized: () => {
    moduleReady = true;
    self.postMessage({type: 'ready'});
    while (waiting.length > 0) handle(waiting.shift());
  },
  onAbort: (what) => {
    moduleFailure = 'the measuring module stopped (' + String(what) + ')';
  },
};
importScripts('glyphcensus.js', 'map_pieces.js');

// The map's pieces that the page puts in one frame at a time (about this
// many characters each), so that no single task of the page's holds it long.
const MAP_PIECE_SIZE = 24 * 1024;

// Runs `call(pointer, size)` on a copy of the file's bytes in the module's
// memory, freed afterwards.
function withBytes(bytes, call) {
  const pointer = Module._malloc(Math.max(bytes.length, 1));
  if (pointer === 0) throw new Error('out of memory for a file of ' + bytes.length + ' bytes');
  try {
    Module.HEAPU8.set(bytes, pointer);
    return call(pointer, bytes.length);
  } finally {
    Module._free(pointer);
  }
}

// Runs a call of the module that gives a JSON array of face objects (the
// command's, coverage/output/machine_formats.h) and returns it parsed.
function callForFaces(name, argTypes, args) {
  return JSON.parse(Module.ccall(name, 'string', argTypes, args));
}

function measure(message) {
  const file = {name: message.name, bytes: new Uint8Array(message.bytes)};
  held.set(message.fileId, file);
  self.postMessage({type: 'started', fileId: message.fileId});
  const faces = withBytes(file.bytes, (pointer, size) =>
    callForFaces('gc_measure', ['number', 'number', 'string'], [pointer, size, file.name]));
  // The same faces as the command's CSV writes them, for the page's download.
  const csv = {header: Module.ccall('gc_csv_header', 'string', [], []),
               rows: Module.ccall('gc_measure_csv_rows', 'string', [], [])};
  self.postMessage({type: 'result', fileId: message.fileId, faces, csv});
}

// The file's bytes and name if they are still here; if not, the reply says so.
function stillHeld(message, reply) {
  const file = held.get(message.fileId);
  if (file !== undefined) return file;
  reply.error = 'the file is no longer held (measure it again)';
  self.postMessage(reply);
  return null;
}

// The reply carries the map's SVG text, `svg`, and the same text cut into
// `pieces` (map_pieces.js; null when it cannot be cut), which the
// page puts in over several frames.
function drawMap(message) {
  const reply = {type: 'map', fileId: message.fileId, face: message.face};
  const file = stillHeld(message, reply);
  if (file === null) return;
  const failure = withBytes(file.bytes, (pointer, size) =>
    Module.ccall('gc_map', 'string', ['number', 'number', 'string', 'number'],
                 [pointer, size, file.name, message.face]));
  if (failure !== '') {
    reply.error = failure;
  } else {
    reply.svg = Module.ccall('gc_map_svg', 'string', [], []);
    reply.pieces = self.GlyphCensusMapPieces.mapPieces(reply.svg, MAP_PIECE_SIZE);
  }
  self.postMessage(reply);
}

function checkManuscript(message) {
  const reply = {type: 'chars', fileId: message.fileId, face: message.face};
  const file = stillHeld(message, reply);
  if (file === null) return;
  const faces = withBytes(file.bytes, (pointer, size) =>
    callForFaces('gc_chars', ['number', 'number', 'string', 'number', 'string'],
                 [pointer, size, file.name, message.face, message.text]));
  const face = faces[0];
  if (face === undefined || face.error) {
    reply.error = face === undefined ? 'the text cannot be read' : face.error;
  } else {
    reply.set = face.sets[0];
  }
  self.postMessage(reply);
}

// Two reports (JSON text) compared by the module: what the new one lost
// and gained against the old one. Each goes in as UTF-8 bytes in the
// module's memory.
function compareReports(message) {
  const encoder = new TextEncoder();
  const older = encoder.encode(String(message.older));
  const newer = encoder.encode(String(message.newer));
  const text = withBytes(older, (olderPointer, olderSize) => withBytes(newer, (newerPointer, newerSize) =>
    Module.ccall('gc_compare', 'string', ['number', 'number', 'number', 'number', 'number'],
                 [olderPointer, olderSize, newerPointer, newerSize, message.byIndex ? 1 : 0])));
  self.postMessage({type: 'compare', fileId: null, token: message.token, result: JSON.parse(text)});
}

function forget(message) {
  held.delete(message.fileId);
}

const handlers = {measure, map: drawMap, chars: checkManuscript, compare: compareReports, forget};

function handle(message) {
  const handler = handlers[message.type];
  if (handler === undefined) return;
  if (moduleFailure !== null) {
    self.postMessage({type: 'error', fileId: message.fileId, message: moduleFailure});
    return;
  }
  try {
    handler(message);
  } catch (error) {
    // Out of memory, or the module stopped: the page shows it and goes on.
    self.postMessage({type: 'error', fileId: message.fileId,
                      message: moduleFailure || String(error && error.message || error)});
  }
}

self.onmessage = (event) => {
  if (!moduleReady) {
    waiting.push(event.data);
    return;
  }
  handle(event.data);
};

self.addEventListener('unhandledrejection', (event) => {
  // The module fails to load (e.g. the .wasm file is missing).
  self.postMessage({type: 'error', fileId: null,
                    message: 'the measuring module cannot be loaded: ' + String(event.reason)});
});
