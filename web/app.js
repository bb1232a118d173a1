// The GlyphCensus page: takes font files, has worker.js measure them one at a
// time (WEB_PROTOCOL.md), and shows each face's report, its coverage map, a
// summary of all faces, the manuscript check and the downloads. The page never
// reads font bytes itself.
'use strict';
(() => {
  const logic = window.GlyphCensusLogic;
  const STRINGS = window.GlyphCensusStrings;
  // Bytes the worker may hold for later maps and manuscript checks; beyond
  // it the least recently used files are forgotten (and sent again if needed).
  const WORKER_BYTE_BUDGET = 256 * 1024 * 1024;
  const MANUSCRIPT_DELAY_MS = 300;
  const SUMMARY_INTERVAL_MS = 1000;
  const MAX_FOLDER_DEPTH = 64;
  const $ = (id) => document.getElementById(id);

  const page = {
    lang: 'ja',
    files: [],         // input order: {id, name, file, status, faces, message}
    byId: new Map(),
    natural: [],       // the same files in natural order of their names
    nextId: 1,
    queue: [],         // tasks waiting: {fileId, reload}
    measuring: null,   // the task the worker has
    collecting: 0,     // drops and picks whose files are still being listed
    worker: null,
    workerReady: false,
    workerFailure: null,
    held: new Map(),   // fileId -> byte count the worker holds, oldest first
    chosen: null,      // {fileId, index}: the face shown
    // The map: the face being drawn, the face shown, the face asked for with
    // #map-show, the face whose drawing Cancel stopped.
    map: { pending: null, shown: null, svgText: null, requested: null, cancelled: null },
    chars: { pending: null, shown: null },
    sort: { column: null, descending: false },
    lastRun: { ids: new Set(), cancelled: 0 },  // the files of this run of measuring
  };

  // ---- Text ----------------------------------------------------------------

  function text(key, ...values) {
    const entry = STRINGS[page.lang][key];
    return typeof entry === 'function' ? entry(...values) : entry;
  }

  function chooseLanguage() {
    let saved = null;
    try { saved = localStorage.getItem('glyphcensus-language'); } catch (error) { /* storage off */ }
    if (saved in STRINGS) return saved;
    const wanted = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
    for (const tag of wanted) {
      const primary = String(tag).toLowerCase().split('-')[0];
      if (primary in STRINGS) return primary;
    }
    return 'en';
  }

  function applyLanguage(lang) {
    page.lang = lang;
    document.documentElement.lang = lang;
    document.title = text('pageTitle');
    $('language').value = lang;
    for (const element of document.querySelectorAll('[data-text]')) {
      element.textContent = text(element.dataset.text);
    }
    renderAll();
  }

  const countText = (present, total) => logic.formatCount(present, total,
    { all: (n) => text('countAll', n), none: (n) => text('countNone', n) });
  const familyText = (face) => (face.family ? face.family : text('noName'));
  const baseName = (path) => path.slice(path.lastIndexOf('/') + 1);

  // ---- Small DOM helpers ---------------------------------------------------

  function element(tag, properties = {}, children = []) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(properties)) {
      if (key === 'className') node.className = value;
      else if (key === 'text') node.textContent = value;
      else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
      else node.setAttribute(key, value);
    }
    for (const child of children) if (child) node.append(child);
    return node;
  }

  function download(name, content, type) {
    const url = URL.createObjectURL(new Blob([content], { type }));
    const link = element('a', { href: url, download: name });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // Copies with the clipboard API; where it is missing or refused, selects the
  // text so that the person can copy it.
  async function copyText(value, shownIn, feedback) {
    try {
      await navigator.clipboard.writeText(value);
      feedback.textContent = text('copied');
    } catch (error) {
      const selection = window.getSelection();
      selection.removeAllRanges();
      const range = document.createRange();
      range.selectNodeContents(shownIn);
      selection.addRange(range);
      feedback.textContent = text('selectedToCopy');
    }
  }

  function showMessage(message) {
    $('messages').append(element('p', { className: 'error-text', text: message }));
  }

  // ---- Files and their order -------------------------------------------------

  const fileById = (id) => page.byId.get(id);
  // The files in the order the Left and Right keys step through them.
  const filesInNaturalOrder = () => page.natural;

  function addFiles(entries) {
    for (const { name, file } of entries) {
      const entry = { id: page.nextId++, name, file, status: 'queued', faces: [], message: '', reloadError: '' };
      page.files.push(entry);
      page.byId.set(entry.id, entry);
      enqueue(entry);
    }
    page.natural = page.files.slice().sort((a, b) => logic.compareFileNames(a.name, b.name));
    pump();
    renderAll();
  }

  // Files added while others are measured join their run (and its progress).
  function enqueue(entry) {
    if (!busyMeasuring()) page.lastRun = { ids: new Set(), cancelled: 0 };
    entry.status = 'queued';
    page.queue.push({ fileId: entry.id, reload: false });
    page.lastRun.ids.add(entry.id);
  }

  // A picked folder: its font files in the order of the command's walk.
  function addPickedFolder(fileList) {
    const byPath = new Map();
    for (const file of fileList) byPath.set(file.webkitRelativePath || file.name, file);
    addFiles(logic.walkOrder([...byPath.keys()]).map((name) => ({ name, file: byPath.get(name) })));
  }

  // ---- Drops: files as given, folders walked ---------------------------------

  const readEntries = (reader) => new Promise((resolve, reject) => reader.readEntries(resolve, reject));
  const entryFile = (entry) => new Promise((resolve, reject) => entry.file(resolve, reject));

  // Every file below a dropped folder, by its path from the folder's parent.
  async function listFolder(folder, depth, found) {
    if (depth > MAX_FOLDER_DEPTH) {
      showMessage(text('folderTooDeep', folder.fullPath.slice(1)));
      return;
    }
    const reader = folder.createReader();
    try {
      for (;;) {
        const batch = await readEntries(reader);  // a batch at a time, until empty
        if (!batch.length) break;
        for (const entry of batch) {
          if (entry.isDirectory) await listFolder(entry, depth + 1, found);
          else if (logic.hasFontFileExtension(entry.name)) found.set(entry.fullPath.slice(1), entry);
        }
      }
    } catch (error) {
      showMessage(text('folderUnreadable', folder.fullPath.slice(1)));
    }
  }

  async function collectDrop(entries, looseFiles) {
    page.collecting++;
    renderStatus();
    const collected = [];
    try {
      for (const entry of entries) {
        if (entry.isDirectory) {
          const found = new Map();
          await listFolder(entry, 0, found);
          for (const name of logic.walkOrder([...found.keys()])) {
            try {
              collected.push({ name, file: await entryFile(found.get(name)) });
            } catch (error) {
              showMessage(`${name}: ${text('readFailed', error.message)}`);
            }
          }
        } else {
          try {
            collected.push({ name: entry.fullPath.slice(1) || entry.name, file: await entryFile(entry) });
          } catch (error) {
            showMessage(`${entry.name}: ${text('readFailed', error.message)}`);
          }
        }
      }
      for (const file of looseFiles) collected.push({ name: file.name, file });
    } finally {
      page.collecting--;
    }
    addFiles(collected);
  }

  function onDrop(event) {
    event.preventDefault();
    $('drop-zone').classList.remove('dragging');
    const transfer = event.dataTransfer;
    if (!transfer) return;
    // The entries must be taken now: the transfer is emptied after the event.
    const entries = [];
    const looseFiles = [];
    const items = transfer.items ? [...transfer.items].filter((item) => item.kind === 'file') : [];
    if (items.length && typeof items[0].webkitGetAsEntry === 'function') {
      for (const item of items) {
        const entry = item.webkitGetAsEntry();
        if (entry) entries.push(entry);
        else if (item.getAsFile()) looseFiles.push(item.getAsFile());
      }
    } else {
      looseFiles.push(...transfer.files);
    }
    collectDrop(entries, looseFiles);
  }

  // ---- The worker --------------------------------------------------------------

  function startWorker() {
    page.workerReady = false;
    page.held.clear();
    page.map.pending = null;
    page.chars.pending = null;
    let worker;
    try {
      worker = new Worker('worker.js');
    } catch (error) {
      workerCannotStart(error.message || String(error));
      return;
    }
    page.worker = worker;
    worker.onmessage = (event) => { if (page.worker === worker) onWorkerMessage(event.data); };
    worker.onerror = (event) => {
      event.preventDefault();
      if (page.worker !== worker) return;
      const reason = event.message || text('unknownReason');
      if (!page.workerReady) workerCannotStart(reason);
      else workerStopped(reason);
    };
  }

  // The module never came up: no file can be measured.
  function workerCannotStart(reason) {
    if (page.worker) page.worker.terminate();
    page.worker = null;
    page.workerFailure = text('workerNotStarted', reason.replace(/[.。]\s*$/, ''));
    page.measuring = null;
    failQueue();
    renderAll();
  }

  // Without a worker every file waiting gets the reason.
  function failQueue() {
    for (const task of page.queue) {
      if (!task.reload) setFileError(fileById(task.fileId), page.workerFailure);
    }
    page.queue = [];
  }

  // The worker died while working (out of memory, say): the file it had gets
  // the message, a new worker takes the rest.
  function workerStopped(reason) {
    const task = page.measuring;
    page.measuring = null;
    if (task && !task.reload) setFileError(fileById(task.fileId), text('workerFailed', reason));
    if (task && task.reload) fileById(task.fileId).reloadError = text('workerFailed', reason);
    if (page.map.pending) {
      showMapError(text('workerFailed', reason), page.map.pending.key);
    }
    restartWorker();
    renderAll();
  }

  function cancel() {
    if (page.worker) page.worker.terminate();
    let count = 0;
    for (const task of [page.measuring, ...page.queue]) {
      if (!task || task.reload) continue;
      fileById(task.fileId).status = 'cancelled';
      count++;
    }
    page.measuring = null;
    page.queue = [];
    page.lastRun.cancelled = count;
    // A map being drawn is stopped too, and drawn again only when asked.
    if (page.map.pending) page.map.cancelled = page.map.pending.key;
    startWorker();
    renderAll();
  }

  // Sends the worker its next piece of work: maps and manuscript checks of the
  // chosen face first, so that they do not wait for a long queue, then the
  // next file. The worker has at most one file at a time, which keeps its
  // memory small and lets Cancel know exactly which files are unfinished.
  function pump() {
    if (page.workerFailure) failQueue();
    if (!page.worker || !page.workerReady) return;
    requestMap();
    requestChars();
    if (page.measuring || !page.queue.length) return;
    const task = page.queue.shift();
    page.measuring = task;
    sendFile(task);
  }

  async function sendFile(task) {
    const entry = fileById(task.fileId);
    if (!task.reload) entry.status = 'reading';
    renderFiles();
    let bytes;
    try {
      bytes = await entry.file.arrayBuffer();
    } catch (error) {
      if (page.measuring !== task) return;
      page.measuring = null;
      const reason = text('readFailed', error.message || error.name);
      if (task.reload) entry.reloadError = reason;
      else setFileError(entry, reason);
      pump();
      renderAll();
      return;
    }
    if (page.measuring !== task) return;  // cancelled while reading
    page.worker.postMessage({ type: 'measure', fileId: entry.id, name: entry.name, bytes }, [bytes]);
  }

  function setFileError(entry, message) {
    entry.status = 'error';
    entry.message = message;
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
        if (isMeasured && !task.reload) fileById(task.fileId).status = 'measuring';
        break;
      case 'result':
        if (!isMeasured) return;
        page.measuring = null;
        // Bytes of a file with no measurable face are of no further use. The
        // others are held before the file's face is chosen, so that its map
        // does not send the file again.
        if (Array.isArray(message.faces) && message.faces.some((face) => face && !face.error)) holdBytes(task.fileId);
        else page.worker.postMessage({ type: 'forget', fileId: task.fileId });
        if (!task.reload) takeResult(fileById(task.fileId), message.faces);
        break;
      case 'map':
        takeMap(message);
        break;
      case 'chars':
        takeChars(message);
        break;
      case 'error':
        takeError(message, isMeasured ? task : null);
        break;
      default:
        return;
    }
    pump();
    renderAll();
  }

  function takeResult(entry, faces) {
    entry.faces = Array.isArray(faces) ? faces : [];
    const failed = entry.faces.filter((face) => face.error);
    entry.status = entry.faces.length && failed.length < entry.faces.length ? 'done' : 'error';
    // A file the WOFF2 decoder refused part way: its faces carry the core's words.
    const partial = entry.faces.find((face) => !face.error && face.warning);
    entry.message = failed.map((face) => face.error).concat(partial ? [partial.warning] : []).join('; ');
    if (!entry.faces.length) entry.message = text('workerFailed', text('noResult'));
    if (!page.chosen) choose(entry.id, 0);
  }

  function takeError(message, task) {
    const reason = String(message.message || text('unknownReason'));
    if (!page.workerReady) {
      workerCannotStart(reason);
      return;
    }
    if (task) {
      page.measuring = null;
      if (task.reload) fileById(task.fileId).reloadError = reason;
      else setFileError(fileById(task.fileId), reason);
    }
    const map = page.map.pending;
    if (map && map.fileId === message.fileId) {
      showMapError(reason, map.key);
    }
    const chars = page.chars.pending;
    if (chars && chars.fileId === message.fileId) {
      Object.assign(page.chars, { shown: chars.key, set: null, error: reason });
    }
    if (!task && !map && !chars) showMessage(reason);
    // The module may have stopped (out of memory): the next files get a new one.
    restartWorker();
  }

  // A new worker; a file the old one had is sent to it again.
  function restartWorker() {
    page.worker.terminate();
    if (page.measuring) page.queue.unshift(page.measuring);
    page.measuring = null;
    startWorker();
  }

  // Records that the worker holds a file's bytes, and forgets the least
  // recently used files beyond the budget (never the chosen one).
  function holdBytes(fileId) {
    const entry = fileById(fileId);
    page.held.delete(fileId);
    page.held.set(fileId, entry ? entry.file.size : 0);
    let total = [...page.held.values()].reduce((sum, size) => sum + size, 0);
    for (const [id, size] of page.held) {
      if (total <= WORKER_BYTE_BUDGET) break;
      if (page.chosen && page.chosen.fileId === id) continue;
      page.held.delete(id);
      page.worker.postMessage({ type: 'forget', fileId: id });
      total -= size;
    }
  }

  // Makes sure the worker holds a file's bytes before a map or check of it.
  function needBytes(fileId) {
    if (page.held.has(fileId)) {
      holdBytes(fileId);  // now the most recently used
      return true;
    }
    if (fileById(fileId).reloadError) return false;
    const queued = [page.measuring, ...page.queue].some((task) => task && task.fileId === fileId);
    if (!queued) page.queue.unshift({ fileId, reload: true });
    return false;
  }

  // ---- Choosing a face ---------------------------------------------------------

  function chosenFace() {
    if (!page.chosen) return null;
    const entry = fileById(page.chosen.fileId);
    const face = entry && entry.faces[page.chosen.index];
    return face ? { entry, face } : null;
  }

  function choose(fileId, index) {
    page.chosen = { fileId, index };
    const entry = fileById(fileId);
    if (entry && entry.status === 'cancelled') enqueue(entry);
    pump();
    renderAll();
  }

  // The Left and Right keys: the previous or next file in natural order.
  function step(direction) {
    const ordered = filesInNaturalOrder();
    if (!ordered.length) return;
    const at = page.chosen ? ordered.findIndex((file) => file.id === page.chosen.fileId) : -1;
    const next = at + direction;
    if (at >= 0 && (next < 0 || next >= ordered.length)) return;
    choose(ordered[Math.max(next, 0)].id, 0);
    const button = document.querySelector(`#file-list [data-file="${ordered[Math.max(next, 0)].id}"]`);
    if (button && document.activeElement && document.activeElement.closest('#file-list')) button.focus();
  }

  function onKeyDown(event) {
    if (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight') return;
    if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey || event.isComposing) return;
    const target = event.target;
    if (target.closest && target.closest('input, textarea, select, [contenteditable]:not([contenteditable="false"])')) return;
    event.preventDefault();
    step(event.key === 'ArrowLeft' ? -1 : 1);
  }

  // ---- The coverage map --------------------------------------------------------

  const mapKey = (fileId, index) => `${fileId}:${index}`;
  let mapSheet = null;
  // The map is put in a piece at a time, for at most this long a frame.
  const MAP_FRAME_BUDGET_MS = 25;
  let mapFilling = 0;  // counts maps begun and cleared: an older fill stops

  function setMapState(state, status) {
    $('map').dataset.state = state;
    $('map-status').textContent = status;
  }

  function clearMap() {
    mapFilling++;
    page.map.shown = null;
    page.map.svgText = null;
    $('map').replaceChildren();
    $('download-svg').disabled = true;
  }

  // The map of the face `key` cannot be drawn; it is not asked again.
  function showMapError(message, key) {
    clearMap();
    page.map.shown = key;
    setMapState('error', message);
  }

  // Whether the chosen face's map is to be drawn without being asked: only
  // when nothing is measured, because putting a map of tens of thousands of
  // cells into the page holds the main thread for a moment.
  const busyMeasuring = () => Boolean(page.measuring && !page.measuring.reload) ||
    page.queue.some((task) => !task.reload);

  function requestMap() {
    const chosen = chosenFace();
    if (!chosen || chosen.face.error || page.map.pending) return;
    const key = mapKey(chosen.entry.id, page.chosen.index);
    if (page.map.shown === key) return;
    if ((busyMeasuring() || page.map.cancelled === key) && page.map.requested !== key) return;
    if (chosen.entry.reloadError) {
      showMapError(text('mapFailed', chosen.entry.reloadError), key);
      return;
    }
    if (!needBytes(chosen.entry.id)) {  // the file is sent to the worker again first
      clearMap();
      setMapState('loading', text('mapLoading'));
      return;
    }
    page.map.pending = { key, fileId: chosen.entry.id };
    clearMap();  // never the map of another face under this one's name
    setMapState('loading', text('mapLoading'));
    page.worker.postMessage({ type: 'map', fileId: chosen.entry.id, face: chosen.face.face });
  }

  function takeMap(message) {
    const pending = page.map.pending;
    if (!pending || pending.fileId !== message.fileId) return;
    page.map.pending = null;
    const chosen = chosenFace();
    if (!chosen || mapKey(chosen.entry.id, page.chosen.index) !== pending.key ||
        chosen.face.face !== message.face) return;  // the choice moved on: ask again
    if (typeof message.svg !== 'string') {
      showMapError(text('mapFailed', message.error || text('unknownReason')), pending.key);
      return;
    }
    clearMap();
    page.map.shown = pending.key;
    page.map.requested = null;
    page.map.cancelled = null;
    setMapState('loading', text('mapLoading'));
    // Put in from the next frame: taking the message is a task of its own.
    const fill = mapFilling;
    nextFrame(() => { if (fill === mapFilling) putMap(message, pending.key, chosen.face); });
  }

  // The worker sends the map in pieces (worker.js drawMap); the head is put in
  // at once, the pieces over the next frames.
  function putMap(message, key, face) {
    const split = message.pieces && typeof message.pieces.head === 'string' &&
      Array.isArray(message.pieces.pieces) ? message.pieces : null;
    const map = logic.parseMap(split ? split.head : message.svg, '#map');
    if (!map) {
      showMapError(text('mapFailed', text('notSvg')), key);
      return;
    }
    if (mapSheet) document.adoptedStyleSheets = document.adoptedStyleSheets.filter((sheet) => sheet !== mapSheet);
    mapSheet = map.sheet;
    document.adoptedStyleSheets = [...document.adoptedStyleSheets, mapSheet];
    map.svg.setAttribute('role', 'img');
    map.svg.setAttribute('aria-label', `${text('mapTitle')}: ${familyText(face)}`);
    $('map').replaceChildren(element('div', { className: 'map-layers' }, [map.svg]));
    page.map.svgText = message.svg;
    applyZoom();
    $('download-svg').disabled = false;
    if (split && split.pieces.length) fillMap(map.splitParents, split.pieces, message.svg, key);
    else setMapState('shown', '');
  }

  // Puts the map's pieces into their parents, as many a frame as fit in the
  // budget, so that no task holds the page long; stops when the map is
  // cleared. A piece that is not SVG makes the map an error.
  function fillMap(parents, pieces, svgText, key) {
    const fill = mapFilling;
    let next = 0;
    const step = () => {
      if (fill !== mapFilling) return;
      const until = performance.now() + MAP_FRAME_BUDGET_MS;
      while (next < pieces.length && performance.now() < until) {
        const piece = pieces[next++];
        const nodes = logic.parseMapPiece(svgText.slice(piece.start, piece.end));
        if (!nodes || !parents[piece.parent]) {
          showMapError(text('mapFailed', text('notSvg')), key);
          return;
        }
        addMapLayer(parents[piece.parent], nodes, piece);
      }
      if (next < pieces.length) nextFrame(step);
      else setMapState('shown', '');
    };
    nextFrame(step);
  }

  // Each piece of a drawn group (a panel's rows) is a layer of its own: an
  // <svg> showing only the band of the map the piece lies in, with a copy of
  // the group's element, placed over that band of the first <svg>. The
  // browser then lays out and paints a band once, and skips those out of
  // view, where one growing <svg> would be painted whole at every frame.
  // Glyph definitions go into the first <svg>'s <defs>, which <use> reaches
  // from every layer. Without a known band, the piece joins its group.
  function addMapLayer(parent, nodes, piece) {
    const root = parent.ownerSVGElement;
    const box = root && root.viewBox.baseVal;
    const height = box ? box.height : 0;
    if (parent.tagName === 'defs' || !(piece.top < piece.bottom) || !(height > 0) || box.x !== 0 || box.y !== 0) {
      parent.append(nodes);
      return;
    }
    const top = Math.max(0, piece.top);
    const bottom = Math.min(height, piece.bottom);
    const layer = root.cloneNode(false);
    for (const name of ['role', 'aria-label', 'class', 'style']) layer.removeAttribute(name);
    layer.setAttribute('viewBox', `0 ${top} ${box.width} ${bottom - top}`);
    layer.setAttribute('height', String(bottom - top));
    layer.setAttribute('preserveAspectRatio', 'none');
    const group = parent.cloneNode(false);
    group.removeAttribute('id');
    group.append(nodes);
    layer.append(group);
    const band = element('div', { className: 'map-band', 'aria-hidden': 'true' }, [layer]);
    band.style.top = `${(100 * top) / height}%`;
    band.style.height = `${(100 * (bottom - top)) / height}%`;
    root.parentNode.append(band);
  }

  // Runs `run` once at the next frame, or after 100 ms in a hidden tab.
  function nextFrame(run) {
    let done = false;
    const once = () => {
      if (done) return;
      done = true;
      run();
    };
    requestAnimationFrame(once);
    setTimeout(once, 100);
  }

  // The map's layers (see addMapLayer) follow the first <svg>'s size.
  function applyZoom() {
    const layers = $('map').querySelector('.map-layers');
    const svg = layers && layers.querySelector('svg');
    if (!svg) return;
    const zoom = $('map-zoom').value;
    const width = Number(svg.getAttribute('width')) || 4356;
    layers.style.width = zoom === 'fit' ? '' : `${width * Number(zoom)}px`;
  }

  // The hovered cell: its <title> holds "CHARACTER U+XXXX POSITION" (or only
  // the position of an unassigned cell), as the map writer makes it.
  function onMapPointer(event) {
    const cell = event.target.closest && event.target.closest('[data-kuten], [data-index]');
    if (!cell) return;
    const title = cell.querySelector('title');
    const parts = (title ? title.textContent : '').split(' (')[0].split(' ');
    const codes = parts.filter((part) => /^U\+[0-9A-F]{4,6}$/.test(part));
    const position = cell.dataset.kuten || cell.dataset.index || '';
    const info = $('map-cell');
    info.replaceChildren();
    if (codes.length) {
      info.append(`${text('cellCharacter')}: `, element('strong', { lang: 'ja', text: parts[0] }),
        `　${text('cellCode')}: ${codes.join(' ')}　`);
    }
    info.append(`${text('cellPosition')}: ${position}`);
    if (title && title.textContent.includes(' (')) info.append(` ${text('cellSequence')}`);
  }

  function downloadMap() {
    const chosen = chosenFace();
    if (!chosen || !page.map.svgText) return;
    // The name the command's --map-dir gives: the file's name, the face for a
    // collection, ".svg".
    let name = baseName(chosen.entry.name);
    if (chosen.face.faces > 1) name += `.${chosen.face.face}`;
    download(`${name}.svg`, page.map.svgText, 'image/svg+xml');
  }

  // ---- The manuscript check ----------------------------------------------------

  let manuscriptTimer = 0;
  const manuscriptText = () => $('manuscript').value;

  function requestChars() {
    const chosen = chosenFace();
    const value = manuscriptText();
    if (!chosen || chosen.face.error || !value || page.chars.pending) return;
    const key = `${mapKey(chosen.entry.id, page.chosen.index)}\n${value}`;
    if (page.chars.shown === key || !needBytes(chosen.entry.id)) return;
    page.chars.pending = { key, fileId: chosen.entry.id };
    $('manuscript-summary').textContent = text('manuscriptWaiting');
    page.worker.postMessage({ type: 'chars', fileId: chosen.entry.id, face: chosen.face.face, text: value });
  }

  function takeChars(message) {
    const pending = page.chars.pending;
    if (!pending || pending.fileId !== message.fileId) return;
    page.chars.pending = null;
    const chosen = chosenFace();
    const key = chosen && `${mapKey(chosen.entry.id, page.chosen.index)}\n${manuscriptText()}`;
    if (key !== pending.key) return;  // stale: pump asks again
    page.chars.shown = key;
    page.chars.set = message.set && typeof message.set === 'object' ? message.set : null;
    page.chars.error = page.chars.set ? '' : String(message.error || text('unknownReason'));
  }

  function renderManuscript() {
    const chosen = chosenFace();
    const key = chosen && `${mapKey(chosen.entry.id, page.chosen.index)}\n${manuscriptText()}`;
    let summary = '';
    let lacking = '';
    if (!manuscriptText()) {
      summary = '';
    } else if (!chosen || chosen.face.error) {
      summary = text('manuscriptNoFace');
    } else if (chosen.entry.reloadError) {
      summary = chosen.entry.reloadError;
    } else if (page.chars.shown !== key) {
      summary = text('manuscriptWaiting');
    } else if (!page.chars.set) {
      summary = page.chars.error;
    } else {
      const set = page.chars.set;
      const family = familyText(chosen.face);
      lacking = missingText(set);
      if (set.total === 0) summary = text('manuscriptEmpty');
      else if (set.present === set.total) summary = text('manuscriptAll', logic.formatNumber(set.total), family);
      else summary = text('manuscriptLacks', logic.formatNumber(set.total - set.present), logic.formatNumber(set.total), family);
    }
    // Unchanged text is left alone, so that a selection in it survives.
    setText($('manuscript-summary'), summary);
    setText($('manuscript-missing'), lacking);
    if ($('manuscript-copy').hidden !== !lacking) setText($('manuscript-copied'), '');
    $('manuscript-copy').hidden = !lacking;
  }

  function setText(node, value) {
    if (node.textContent !== value) node.textContent = value;
  }

  // ---- Rendering ---------------------------------------------------------------

  function missingText(set) {
    if (typeof set.missing === 'string') return set.missing;
    if (!Array.isArray(set.missing_code_points)) return '';
    return set.missing_code_points.filter((c) => Number.isInteger(c) && c >= 0 && c <= 0x10ffff)
      .map((c) => String.fromCodePoint(c)).join('');
  }

  const STATUS_KEYS = {
    queued: 'statusQueued', reading: 'statusReading', measuring: 'statusMeasuring',
    done: 'statusDone', error: 'statusError', cancelled: 'statusCancelled',
  };

  // The file list keeps one node per file and updates it in place, so that
  // focus, and a script holding an element, survive the updates.
  const fileNodes = new Map();

  function fileNode(entry) {
    let node = fileNodes.get(entry.id);
    if (node) return node;
    node = {
      item: element('li'),
      status: element('span', { className: 'file-status' }),
      message: element('p', { className: 'error-text' }),
      faces: null,
      facesLang: null,
    };
    node.button = element('button', {
      type: 'button', className: 'file-button', 'data-file': entry.id, onclick: () => choose(entry.id, 0),
    }, [element('span', { className: 'file-name', text: entry.name }), node.status]);
    node.item.append(node.button, node.message);
    fileNodes.set(entry.id, node);
    return node;
  }

  function faceButtons(entry) {
    const list = element('ol', { className: 'faces' });
    entry.faces.forEach((face, index) => {
      list.append(element('li', {}, [element('button', {
        type: 'button', className: 'face-button', 'data-face': index, onclick: () => choose(entry.id, index),
      }, [`${text('faceOf', index + 1, entry.faces.length)} `, element('span', { text: familyText(face) })])]));
    });
    return list;
  }

  function renderFiles() {
    const list = $('file-list');
    filesInNaturalOrder().forEach((entry, position) => {
      const node = fileNode(entry);
      // Moved only when out of place: moving a node takes the focus from it.
      if (list.children[position] !== node.item) list.insertBefore(node.item, list.children[position] || null);
      const chosenFile = Boolean(page.chosen && page.chosen.fileId === entry.id);
      const shown = [entry.status, entry.message, chosenFile && page.chosen.index, page.lang, entry.faces.length].join('|');
      if (node.shown === shown) return;  // nothing to change
      node.shown = shown;
      const collection = entry.faces.length > 1;
      node.item.className = `file status-${entry.status}`;
      setText(node.status, text(STATUS_KEYS[entry.status]));
      node.button.setAttribute('aria-current', String(chosenFile && !collection));
      setText(node.message, entry.message);
      node.message.hidden = !entry.message;
      if (collection && node.facesLang !== page.lang) {
        const faces = faceButtons(entry);
        if (node.faces) node.faces.replaceWith(faces);
        else node.button.after(faces);
        node.faces = faces;
        node.facesLang = page.lang;
      }
      if (node.faces) {
        for (const button of node.faces.querySelectorAll('button')) {
          button.setAttribute('aria-current', String(chosenFile && page.chosen.index === Number(button.dataset.face)));
        }
      }
    });
  }

  function renderStatus() {
    const waiting = page.queue.filter((task) => !task.reload).length;
    const measuring = page.measuring && !page.measuring.reload ? fileById(page.measuring.fileId) : null;
    const total = page.lastRun.ids.size;
    const done = total - waiting - (measuring ? 1 : 0);
    let status;
    if (page.workerFailure) status = page.workerFailure;
    else if (page.collecting) status = text('collecting');
    else if (measuring) status = text('measuring', measuring.name, done + 1, total);
    else if (waiting && !page.workerReady) status = text('starting');
    else if (page.lastRun.cancelled) status = text('cancelled', page.lastRun.cancelled);
    else if (total) {
      status = text('finished', total, [...page.lastRun.ids].filter((id) => fileById(id).status === 'error').length);
    }
    else status = text('idle');
    if ($('status').textContent !== status) $('status').textContent = status;
    $('overall').max = Math.max(total, 1);
    $('overall').value = total ? done : 0;
    $('cancel').disabled = !(measuring || waiting || page.map.pending);
    if (measuring || waiting) page.lastRun.cancelled = 0;
  }

  // Rebuilt only when the face, its state or the language changes, so that
  // an opened list of missing characters stays open.
  let reportShape = '';

  function renderReport() {
    const entry = page.chosen && fileById(page.chosen.fileId);
    const shape = JSON.stringify([page.lang, page.chosen, entry && entry.status, entry && entry.faces.length]);
    if (shape === reportShape) return;
    reportShape = shape;
    buildReport();
  }

  function buildReport() {
    const chosen = chosenFace();
    const sets = $('sets');
    sets.replaceChildren();
    $('face-error').hidden = true;
    if (!chosen) {
      // A file chosen before its result: its name and where it stands.
      const entry = page.chosen && fileById(page.chosen.fileId);
      $('face-title').textContent = entry ? entry.name : text('noChoice');
      $('face-path').textContent = entry ? text(STATUS_KEYS[entry.status]) : '';
      if (entry && entry.message) {
        $('face-error').hidden = false;
        $('face-error').textContent = entry.message;
      }
      return;
    }
    const { entry, face } = chosen;
    $('face-title').textContent = familyText(face);
    $('face-path').textContent = face.faces > 1
      ? `${entry.name} — ${text('faceOf', face.face + 1, face.faces)}` : entry.name;
    if (face.error) {
      $('face-error').hidden = false;
      $('face-error').textContent = text('notMeasured', face.error);
    } else if (face.warning) {
      $('face-error').hidden = false;
      $('face-error').textContent = text('measuredInPart', face.warning);
    }
    for (const set of face.sets || []) sets.append(renderSet(set));
  }

  function renderSet(set) {
    const fill = element('span', { className: 'bar-fill' });
    fill.style.width = `${set.total ? (100 * set.present) / set.total : 0}%`;
    const row = element('li', { className: 'set' }, [
      element('span', { className: 'set-label', lang: 'ja', text: set.label }),
      element('code', { className: 'set-id', text: set.id }),
      element('span', { className: 'set-count', text: countText(set.present, set.total) }),
      element('span', { className: 'bar', 'aria-hidden': 'true' }, [fill]),
    ]);
    const lacking = missingText(set);
    if (lacking) {
      const characters = element('p', { className: 'characters', lang: 'ja', text: lacking });
      const feedback = element('span', { className: 'hint', role: 'status' });
      row.append(element('details', { className: 'missing-list' }, [
        element('summary', { text: text('missingButton', logic.formatNumber(set.total - set.present)) }),
        characters,
        element('button', { type: 'button', className: 'copy', text: text('copy'),
          onclick: () => copyText(lacking, characters, feedback) }),
        feedback,
      ]));
    }
    return row;
  }

  // Every face measured, in input order: file by file, face by face.
  const measuredFaces = () => page.files.flatMap((entry) => entry.faces);

  function summaryColumns() {
    const columns = [
      { id: 'file', heading: text('columnFile'), key: (row) => row.entry.name },
      { id: 'face', heading: text('columnFace'), key: (row) => row.face.face, numeric: true },
      { id: 'family', heading: text('columnFamily'), key: (row) => row.face.family || null },
    ];
    const seen = new Set();
    const percent = $('summary-percent').checked;
    for (const face of measuredFaces()) {
      for (const set of face.sets || []) {
        if (seen.has(set.id)) continue;
        seen.add(set.id);
        const find = (row) => (row.face.sets || []).find((each) => each.id === set.id);
        columns.push({
          id: set.id, heading: set.label, title: set.id, numeric: true, set: true,
          key: (row) => { const s = find(row); return s ? (percent ? s.present / (s.total || 1) : s.present) : null; },
          cell: (row) => { const s = find(row); return s ? (percent ? `${logic.percent(s.present, s.total)}%` : logic.formatNumber(s.present)) : ''; },
        });
      }
    }
    return columns;
  }

  // The table is rebuilt when its columns, order or wording change. In input
  // order, a file's rows are put in place when its result comes; sorted, the
  // table is rebuilt, at most once a second while files are measured (its
  // cost grows with the number of faces). The chosen row is marked in place.
  let summaryKey = '';
  let summaryCount = 0;          // faces in the table
  const summaryRows = new Map(); // fileId -> its rows
  let summaryBuiltAt = -Infinity;
  let summaryTimer = 0;

  function renderSummary(now) {
    const columns = summaryColumns();
    const key = JSON.stringify([page.lang, $('summary-percent').checked, page.sort, columns.map((c) => c.id)]);
    const count = measuredFaces().length;
    if (key === summaryKey && !page.sort.column) {
      addSummaryRows(columns);
      summaryCount = count;
    } else if (key !== summaryKey || count !== summaryCount) {
      const wait = SUMMARY_INTERVAL_MS - (performance.now() - summaryBuiltAt);
      if (!now && key === summaryKey && busyMeasuring() && wait > 0) {
        if (!summaryTimer) summaryTimer = setTimeout(() => { summaryTimer = 0; renderAll(); }, wait);
      } else {
        buildSummary(columns);
        summaryKey = key;
        summaryCount = count;
        summaryBuiltAt = performance.now();
      }
    }
    const chosen = page.chosen ? `${page.chosen.fileId}:${page.chosen.index}` : '';
    for (const row of $('summary').tBodies[0].rows) {
      const current = String(row.dataset.face === chosen);
      if (row.getAttribute('aria-current') !== current) row.setAttribute('aria-current', current);
    }
    const unmeasured = page.files.filter((entry) => !entry.faces.length).length;
    setText($('downloads-note'), unmeasured ? text('downloadsNote', unmeasured) : '');
    $('download-json').disabled = $('download-csv').disabled = !count;
  }

  function buildSummary(columns) {
    const headRow = element('tr');
    for (const column of columns) {
      const sorted = page.sort.column === column.id;
      const th = element('th', { scope: 'col', className: column.numeric ? 'number' : '' });
      if (sorted) th.setAttribute('aria-sort', page.sort.descending ? 'descending' : 'ascending');
      th.append(element('button', {
        type: 'button', className: 'sort', ...(column.title ? { title: column.title } : {}),
        ...(column.set ? { lang: 'ja' } : {}),
        onclick: () => {
          page.sort.descending = sorted ? !page.sort.descending : false;
          page.sort.column = column.id;
          renderSummary(true);
          $('summary').querySelector(`th:nth-child(${columns.indexOf(column) + 1}) button`).focus();
        },
      }, [column.heading, element('span', { className: 'sort-mark', 'aria-hidden': 'true',
        text: sorted ? (page.sort.descending ? ' ▼' : ' ▲') : '' })]));
      headRow.append(th);
    }
    let rows = page.files.flatMap((entry) => entry.faces.map((face, index) => ({ entry, face, index })));
    const sortColumn = columns.find((column) => column.id === page.sort.column);
    if (sortColumn) rows = logic.sortRows(rows, sortColumn.key, page.sort.descending);
    const body = element('tbody');
    summaryRows.clear();
    for (const row of rows) {
      const tr = summaryRow(row, columns);
      body.append(tr);
      if (!summaryRows.has(row.entry.id)) summaryRows.set(row.entry.id, []);
      summaryRows.get(row.entry.id).push(tr);
    }
    const table = $('summary');
    table.tHead.replaceChildren(headRow);
    table.tBodies[0].replaceWith(body);
  }

  // The rows of files measured since, each before the rows of the next file
  // in input order.
  function addSummaryRows(columns) {
    const body = $('summary').tBodies[0];
    let following = null;  // the first row of a later file
    for (let i = page.files.length - 1; i >= 0; i--) {
      const entry = page.files[i];
      if (!summaryRows.has(entry.id) && entry.faces.length) {
        const rows = entry.faces.map((face, index) => summaryRow({ entry, face, index }, columns));
        for (const tr of rows) body.insertBefore(tr, following);
        summaryRows.set(entry.id, rows);
      }
      if (summaryRows.has(entry.id)) following = summaryRows.get(entry.id)[0];
    }
  }

  function summaryRow(row, columns) {
    const tr = element('tr', { className: row.face.error ? 'failed' : '', 'data-face': `${row.entry.id}:${row.index}` });
    tr.append(element('td', { className: 'file-cell', text: row.entry.name }),
      element('td', { className: 'number', text: row.face.face === null ? '' : String(row.face.face) }),
      element('td', {}, [element('button', {
        type: 'button', className: 'link', onclick: () => choose(row.entry.id, row.index),
      }, [familyText(row.face)])]));
    const setColumns = columns.filter((each) => each.set);
    if (!row.face.error) {
      for (const column of setColumns) tr.append(element('td', { className: 'number', text: column.cell(row) }));
    } else if (setColumns.length) {
      tr.append(element('td', { className: 'error-text', colspan: setColumns.length, text: row.face.error }));
    }
    return tr;
  }

  function renderMapControls() {
    const chosen = chosenFace();
    const key = chosen && mapKey(chosen.entry.id, page.chosen.index);
    const drawable = chosen && !chosen.face.error;
    const waiting = drawable && page.map.shown !== key && !page.map.pending &&
      (busyMeasuring() || page.map.cancelled === key) && page.map.requested !== key;
    $('map-show').hidden = !waiting;
    if (page.map.pending) return;
    if (!drawable) {
      clearMap();
      setMapState('empty', text('mapNone'));
    } else if (waiting) {
      clearMap();
      setMapState('empty', text(page.map.cancelled === key ? 'mapCancelled' : 'mapWaiting'));
    }
  }

  // Renders are gathered into one a frame, so that a run of worker messages
  // costs one. The status and a new face's report come first; the other
  // parts and the summary table follow in the next frame, so that building
  // and laying out all at once does not hold the page long.
  let renderQueued = false;

  function renderAll() {
    if (renderQueued) return;
    renderQueued = true;
    const run = () => {
      if (!renderQueued) return;
      renderQueued = false;
      renderStatus();
      renderReport();
      nextFrame(() => {
        renderFiles();
        renderManuscript();
        renderMapControls();
        renderSummary(false);
      });
    };
    requestAnimationFrame(run);
    setTimeout(run, 200);  // frames pause in a hidden tab
  }

  // ---- Hooks for scripts and tests ----------------------------------------------

  window.glyphcensusResults = () => ({ schema: 1, faces: measuredFaces() });
  window.glyphcensusIdle = () => page.collecting === 0 && !page.queue.some((task) => !task.reload) &&
    !(page.measuring && !page.measuring.reload);

  // ---- Wiring -------------------------------------------------------------------

  function start() {
    const drop = $('drop-zone');
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      if (event.dataTransfer) event.dataTransfer.dropEffect = 'copy';
      drop.classList.add('dragging');
    });
    document.addEventListener('dragleave', (event) => {
      if (!event.relatedTarget) drop.classList.remove('dragging');
    });
    document.addEventListener('drop', onDrop);
    document.addEventListener('keydown', onKeyDown);
    $('fonts').addEventListener('change', (event) => {
      addFiles([...event.target.files].map((file) => ({ name: file.name, file })));
      event.target.value = '';
    });
    $('folder').addEventListener('change', (event) => {
      addPickedFolder(event.target.files);
      event.target.value = '';
    });
    $('cancel').addEventListener('click', cancel);
    $('language').addEventListener('change', (event) => {
      try { localStorage.setItem('glyphcensus-language', event.target.value); } catch (error) { /* storage off */ }
      applyLanguage(event.target.value);
    });
    $('manuscript').addEventListener('input', () => {
      clearTimeout(manuscriptTimer);
      manuscriptTimer = setTimeout(() => { pump(); renderManuscript(); }, MANUSCRIPT_DELAY_MS);
    });
    $('manuscript-copy').addEventListener('click', () =>
      copyText($('manuscript-missing').textContent, $('manuscript-missing'), $('manuscript-copied')));
    $('map-show').addEventListener('click', () => {
      const chosen = chosenFace();
      if (chosen) page.map.requested = mapKey(chosen.entry.id, page.chosen.index);
      pump();
      renderAll();
    });
    $('map-zoom').addEventListener('change', applyZoom);
    $('download-svg').addEventListener('click', downloadMap);
    $('map').addEventListener('pointerover', onMapPointer);
    $('summary-percent').addEventListener('change', () => renderSummary(true));
    $('download-json').addEventListener('click', () => {
      // The command's layout: one face to a line.
      const faces = measuredFaces().map((face) => JSON.stringify(face));
      download('glyphcensus.json', `{"schema": 1, "faces": [\n${faces.join(',\n')}\n]}\n`, 'application/json');
    });
    $('download-csv').addEventListener('click', () =>
      download('glyphcensus.csv', logic.facesToCsv(measuredFaces()), 'text/csv'));
    applyLanguage(chooseLanguage());
    startWorker();
  }

  start();
})();
