// The worker of the browser page: measures font files with the WebAssembly
// module (glyphcensus.js, glyphcensus.wasm), which runs the command's own
// measuring and writers. The messages are described in WEB_PROTOCOL.md.
//
// Each file's bytes stay in the module's in-memory file system, under
// /fonts/<fileId>, until the page sends "forget": the map and the manuscript
// check measure the file again from there.
'use strict';

let printed = [];     // the module's stdout lines since the last call
let moduleReady = false;
let moduleFailure = null;  // why the module stopped, once it has
const waiting = [];   // messages that came before the module was ready
const names = new Map();   // fileId -> the name the page shows

var Module = {
  print: (line) => printed.push(line),
  printErr: () => {},  // the command's diagnostics repeat what the results say
  locateFile: (name) => name,
  onRuntimeInitialized: () => {
    Module.FS.mkdir('/fonts');
    moduleReady = true;
    self.postMessage({type: 'ready'});
    while (waiting.length > 0) handle(waiting.shift());
  },
  onAbort: (what) => {
    moduleFailure = 'the measuring module stopped (' + String(what) + ')';
  },
};
importScripts('glyphcensus.js');

function fontPath(fileId) {
  return '/fonts/' + fileId;
}

// Runs one call of the module and returns what it printed, parsed: the JSON
// objects of the command's --format jsonl.
function callForLines(name, argTypes, args) {
  printed = [];
  const returned = Module.ccall(name, 'number', argTypes, args);
  const objects = printed.filter((line) => line.length > 0).map((line) => JSON.parse(line));
  printed = [];
  return {returned, objects};
}

function measure(message) {
  const path = fontPath(message.fileId);
  names.set(message.fileId, message.name);
  Module.FS.writeFile(path, new Uint8Array(message.bytes));
  self.postMessage({type: 'started', fileId: message.fileId});
  const {objects} = callForLines('gc_measure', ['string', 'string'], [path, message.name]);
  self.postMessage({type: 'result', fileId: message.fileId, faces: objects});
}

// Whether the file's bytes are still here; if not, the reply says so.
function stillHeld(message, reply) {
  if (names.has(message.fileId)) return true;
  reply.error = 'the file is no longer held (measure it again)';
  self.postMessage(reply);
  return false;
}

function drawMap(message) {
  const reply = {type: 'map', fileId: message.fileId, face: message.face};
  if (!stillHeld(message, reply)) return;
  const svgPath = '/map.svg';
  const failure = Module.ccall('gc_map', 'string', ['string', 'string', 'number', 'string'],
                               [fontPath(message.fileId), names.get(message.fileId),
                                message.face, svgPath]);
  printed = [];
  if (failure !== '') {
    reply.error = failure;
  } else {
    reply.svg = Module.FS.readFile(svgPath, {encoding: 'utf8'});
    Module.FS.unlink(svgPath);
  }
  self.postMessage(reply);
}

function checkManuscript(message) {
  const reply = {type: 'chars', fileId: message.fileId, face: message.face};
  if (!stillHeld(message, reply)) return;
  const {objects} = callForLines('gc_chars', ['string', 'string', 'number', 'string'],
                                 [fontPath(message.fileId), names.get(message.fileId),
                                  message.face, message.text]);
  const face = objects[0];
  if (face === undefined || face.error) {
    reply.error = face === undefined ? 'the text cannot be read' : face.error;
  } else {
    reply.set = face.sets[0];
  }
  self.postMessage(reply);
}

function forget(message) {
  if (!names.delete(message.fileId)) return;
  Module.FS.unlink(fontPath(message.fileId));
}

const handlers = {measure, map: drawMap, chars: checkManuscript, forget};

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
    printed = [];
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
