// The coverage map panel: the map of the chosen face put in a piece at a
// time, its state line, Show, the zoom, the hovered cell and the SVG
// download.
import { $, download, element, nextFrame } from './dom.js';
import { text } from './language.js';
import { parseMap, parseMapPiece } from './map_svg.js';
import { chosenFace, mapCleared, mapFileName, mapWaiting } from './page_state.js';
import { familyText } from './file_list_view.js';

let mapSheet = null;
// The map is put in a piece at a time, for at most this long a frame.
const MAP_FRAME_BUDGET_MS = 25;
let mapFilling = 0;  // counts maps begun and cleared: an older fill stops

export function setMapState(state, status) {
  $('map').dataset.state = state;
  $('map-status').textContent = status;
}

// Empties the map; no face's map is shown.
export function clearMap(page) {
  mapFilling++;
  mapCleared(page);
  $('map').replaceChildren();
  $('download-svg').disabled = true;
}

// The map of the face `key` cannot be drawn; it is not asked again.
export function showMapError(page, message, key) {
  clearMap(page);
  page.map.shown = key;
  setMapState('error', message);
}

// Drawn, not yet shown: the map of another face never stays under this
// one's name.
export function showMapLoading(page) {
  clearMap(page);
  setMapState('loading', text('mapLoading'));
}

// The map of the chosen face as takeMap (page_state.js) gave it: an error,
// or its SVG, put in from the next frame (taking the message is a task of
// its own).
export function showMap(page, taken) {
  const { key, face, message } = taken;
  if (typeof message.svg !== 'string') {
    showMapError(page, text('mapFailed', message.error || text('unknownReason')), key);
    return;
  }
  showMapLoading(page);
  page.map.shown = key;
  const fill = mapFilling;
  nextFrame(() => { if (fill === mapFilling) putMap(page, message, key, face); });
}

// The worker sends the map in pieces (map_pieces.js); the head is put in at
// once, the pieces over the next frames.
function putMap(page, message, key, face) {
  const split = message.pieces && typeof message.pieces.head === 'string' &&
    Array.isArray(message.pieces.pieces) ? message.pieces : null;
  const map = parseMap(split ? split.head : message.svg, '#map');
  if (!map) {
    showMapError(page, text('mapFailed', text('notSvg')), key);
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
  if (split && split.pieces.length) fillMap(page, map.splitParents, split.pieces, message.svg, key);
  else setMapState('shown', '');
}

// Puts the map's pieces into their parents, as many a frame as fit in the
// budget, so that no task holds the page long; stops when the map is
// cleared. A piece that is not SVG makes the map an error.
function fillMap(page, parents, pieces, svgText, key) {
  const fill = mapFilling;
  let next = 0;
  const step = () => {
    if (fill !== mapFilling) return;
    const until = performance.now() + MAP_FRAME_BUDGET_MS;
    while (next < pieces.length && performance.now() < until) {
      const piece = pieces[next++];
      const nodes = parseMapPiece(svgText.slice(piece.start, piece.end));
      if (!nodes || !parents[piece.parent]) {
        showMapError(page, text('mapFailed', text('notSvg')), key);
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

// The map's layers (see addMapLayer) follow the first <svg>'s size.
export function applyZoom() {
  const layers = $('map').querySelector('.map-layers');
  const svg = layers && layers.querySelector('svg');
  if (!svg) return;
  const zoom = $('map-zoom').value;
  const width = Number(svg.getAttribute('width')) || 4356;
  layers.style.width = zoom === 'fit' ? '' : `${width * Number(zoom)}px`;
}

// The hovered cell: its <title> holds "CHARACTER U+XXXX POSITION" (or only
// the position of an unassigned cell), as the map writer makes it.
export function showCell(event) {
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

export function downloadMap(page) {
  const chosen = chosenFace(page);
  if (!chosen || !page.map.svgText) return;
  download(mapFileName(chosen.entry, chosen.face), page.map.svgText, 'image/svg+xml');
}

// Show, and the map's state while it waits or cannot be drawn.
export function renderMapControls(page) {
  const { drawable, waiting, cancelled } = mapWaiting(page);
  $('map-show').hidden = !waiting;
  if (page.map.pending) return;
  if (!drawable) {
    clearMap(page);
    setMapState('empty', text('mapNone'));
  } else if (waiting) {
    clearMap(page);
    setMapState('empty', text(cancelled ? 'mapCancelled' : 'mapWaiting'));
  }
}
