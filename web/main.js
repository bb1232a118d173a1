// The GlyphCensus page: takes font files, has worker.js measure them one at a
// time (docs/web-page.md), and shows each face's report, its coverage map, a
// summary of all faces, the manuscript check and the downloads. The page never
// reads font bytes itself. This module wires the parts together: the state
// (page_state.js), the work with the worker (measuring.js), file intake and
// the views, one per panel.
import { $, copyText, download, nextFrame } from './dom.js';
import { chooseLanguage, saveLanguage, setLanguage, text } from './language.js';
import {
  addFiles, chosenFace, csvDocument, idle, jsonDocument, measuredFaces, newPage, stepTarget,
} from './page_state.js';
import { cancel, choose, compareSides, pump, startMeasuring } from './measuring.js';
import { addReport, isReportName } from './compare_state.js';
import { renderCompare } from './compare_view.js';
import { renderVerticalPreview } from './vertical_preview_view.js';
import { listenForFiles } from './file_intake.js';
import { renderStatus, showMessage } from './status_view.js';
import { focusFile, renderFiles } from './file_list_view.js';
import { renderReport } from './report_view.js';
import { renderManuscript } from './manuscript_view.js';
import { applyZoom, downloadMap, renderMapControls, showCell } from './map_view.js';
import { renderSummary } from './summary_view.js';

const MANUSCRIPT_DELAY_MS = 300;
const page = newPage();
const summaryHandlers = { choose, later: () => renderAll() };

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
    renderStatus(page);
    renderReport(page);
    renderVerticalPreview(page);
    nextFrame(() => {
      renderFiles(page, choose);
      renderManuscript(page);
      renderMapControls(page);
      renderSummary(page, false, summaryHandlers);
      renderCompare(page);
    });
  };
  requestAnimationFrame(run);
  setTimeout(run, 200);  // frames pause in a hidden tab
}

function applyLanguage(lang) {
  page.lang = lang;
  setLanguage(lang);
  document.documentElement.lang = lang;
  document.title = text('pageTitle');
  $('language').value = lang;
  for (const element of document.querySelectorAll('[data-text]')) {
    element.textContent = text(element.dataset.text);
  }
  renderAll();
}

// The Left and Right keys: the previous or next file in natural order.
function onKeyDown(event) {
  if (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight') return;
  if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey || event.isComposing) return;
  const target = event.target;
  if (target.closest && target.closest('input, textarea, select, [contenteditable]:not([contenteditable="false"])')) return;
  event.preventDefault();
  const file = stepTarget(page, event.key === 'ArrowLeft' ? -1 : 1);
  if (!file) return;
  choose(file.id, 0);
  focusFile(file.id);
}

// JSON reports given beside the fonts are baselines for the compare panel:
// read as text here (they are not fonts), the fonts measured.
function takeFiles(entries) {
  const reports = entries.filter((entry) => isReportName(entry.name));
  addFiles(page, entries.filter((entry) => !isReportName(entry.name)));
  for (const { name, file } of reports) {
    file.text().then((content) => { addReport(page.compare, name, content); renderAll(); },
      (error) => showMessage(`${name}: ${text('readFailed', error.message || error.name)}`));
  }
  pump();
  renderAll();
}

function listen() {
  listenForFiles({
    files: takeFiles,
    collecting: (change) => { page.collecting += change; if (change > 0) renderStatus(page); },
    message: showMessage,
  });
  document.addEventListener('keydown', onKeyDown);
  $('cancel').addEventListener('click', cancel);
  $('language').addEventListener('change', (event) => {
    saveLanguage(event.target.value);
    applyLanguage(event.target.value);
  });
  let manuscriptTimer = 0;
  $('manuscript').addEventListener('input', (event) => {
    page.chars.text = event.target.value;
    clearTimeout(manuscriptTimer);
    manuscriptTimer = setTimeout(() => { pump(); renderManuscript(page); }, MANUSCRIPT_DELAY_MS);
  });
  $('manuscript-copy').addEventListener('click', () =>
    copyText($('manuscript-missing').textContent, $('manuscript-missing'), $('manuscript-copied')));
  $('map-show').addEventListener('click', () => {
    const chosen = chosenFace(page);
    if (chosen) page.map.requested = chosen.key;
    pump();
    renderAll();
  });
  $('map-zoom').addEventListener('change', applyZoom);
  $('download-svg').addEventListener('click', () => downloadMap(page));
  $('map').addEventListener('pointerover', showCell);
  $('summary-percent').addEventListener('change', () => renderSummary(page, true, summaryHandlers));
  $('missing-by-reason').addEventListener('change', (event) => {
    page.missingByReason = event.target.checked;
    renderAll();
  });
  $('compare-old').addEventListener('change', (event) => { page.compare.older = event.target.value; renderAll(); });
  $('compare-new').addEventListener('change', (event) => { page.compare.newer = event.target.value; renderAll(); });
  $('compare-run').addEventListener('click', compareSides);
  $('download-json').addEventListener('click', () =>
    download('glyphcensus.json', jsonDocument(page), 'application/json'));
  $('download-csv').addEventListener('click', () => {
    const csv = csvDocument(page);
    if (csv !== null) download('glyphcensus.csv', csv, 'text/csv');
  });
}

// Hooks for scripts and tests: the results, the two downloads, and whether
// measuring is over.
window.glyphcensusResults = () => ({ schema: 1, faces: measuredFaces(page) });
window.glyphcensusDownloads = () => ({ json: jsonDocument(page), csv: csvDocument(page) });
window.glyphcensusIdle = () => idle(page);

listen();
page.chars.text = $('manuscript').value;
applyLanguage(chooseLanguage());
startMeasuring(page, renderAll);
