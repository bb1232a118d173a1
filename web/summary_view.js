// The summary of every face measured, a row each, sortable by any column,
// and the downloads of all faces (JSON and CSV) beneath its heading.
import { $, element, setText } from './dom.js';
import { text } from './language.js';
import { formatNumber, percent, sameValues, sortRows } from './page_logic.js';
import { busyMeasuring, faceKey, measuredFaces, unmeasuredFiles, csvDocument } from './page_state.js';
import { familyText } from './file_list_view.js';

const SUMMARY_INTERVAL_MS = 1000;

function summaryColumns(page) {
  const columns = [
    { id: 'file', heading: text('columnFile'), key: (row) => row.entry.name },
    { id: 'face', heading: text('columnFace'), key: (row) => row.face.face, numeric: true },
    { id: 'family', heading: text('columnFamily'), key: (row) => row.face.family || null },
  ];
  const seen = new Set();
  const inPercent = $('summary-percent').checked;
  for (const face of measuredFaces(page)) {
    for (const set of face.sets || []) {
      if (seen.has(set.id)) continue;
      seen.add(set.id);
      const find = (row) => (row.face.sets || []).find((each) => each.id === set.id);
      columns.push({
        id: set.id, heading: set.label, title: set.id, numeric: true, set: true,
        key: (row) => { const s = find(row); return s ? (inPercent ? s.present / (s.total || 1) : s.present) : null; },
        cell: (row) => { const s = find(row); return s ? (inPercent ? `${percent(s.present, s.total)}%` : formatNumber(s.present)) : ''; },
      });
    }
  }
  return columns;
}

// The table is rebuilt when its columns, order or wording change. In input
// order, a file's rows are put in place when its result comes; sorted, the
// table is rebuilt, at most once a second while files are measured (its
// cost grows with the number of faces). The chosen row is marked in place.
let tableShown = [];           // what the table was built for
let summaryCount = 0;          // faces in the table
const summaryRows = new Map(); // fileId -> its rows
let summaryBuiltAt = -Infinity;
let summaryTimer = 0;

// `on.choose(fileId, index)` for a family clicked; `on.later()` to render
// again when a sorted table waits for its next rebuild. `now` rebuilds a
// changed table at once.
export function renderSummary(page, now, on) {
  const columns = summaryColumns(page);
  const drawn = [page.lang, $('summary-percent').checked, page.sort.column, page.sort.descending,
    columns.map((c) => c.id).join('\n')];
  const same = sameValues(tableShown, drawn);
  const count = measuredFaces(page).length;
  if (same && !page.sort.column) {
    addSummaryRows(page, columns, on);
    summaryCount = count;
  } else if (!same || count !== summaryCount) {
    const wait = SUMMARY_INTERVAL_MS - (performance.now() - summaryBuiltAt);
    if (!now && same && busyMeasuring(page) && wait > 0) {
      if (!summaryTimer) summaryTimer = setTimeout(() => { summaryTimer = 0; on.later(); }, wait);
    } else {
      buildSummary(page, columns, on);
      tableShown = drawn;
      summaryCount = count;
      summaryBuiltAt = performance.now();
    }
  }
  const chosen = page.chosen ? faceKey(page.chosen.fileId, page.chosen.index) : '';
  for (const row of $('summary').tBodies[0].rows) {
    const current = String(row.dataset.face === chosen);
    if (row.getAttribute('aria-current') !== current) row.setAttribute('aria-current', current);
  }
  const unmeasured = unmeasuredFiles(page);
  setText($('downloads-note'), unmeasured ? text('downloadsNote', unmeasured) : '');
  $('download-json').disabled = !count;
  $('download-csv').disabled = !count || csvDocument(page) === null;
}

function buildSummary(page, columns, on) {
  const headRow = element('tr');
  for (const column of columns) {
    const sorted = page.sort.column === column.id;
    const th = element('th', { scope: 'col', className: column.numeric ? 'number' : '' });
    if (sorted) th.setAttribute('aria-sort', page.sort.descending ? 'descending' : 'ascending');
    th.append(element('button', {
      type: 'button', className: 'sort', ...(column.title ? { title: column.title } : {}),
      ...(column.set ? { lang: 'ja' } : {}),
      onclick: () => {
        page.sort = { column: column.id, descending: sorted ? !page.sort.descending : false };
        renderSummary(page, true, on);
        $('summary').querySelector(`th:nth-child(${columns.indexOf(column) + 1}) button`).focus();
      },
    }, [column.heading, element('span', { className: 'sort-mark', 'aria-hidden': 'true',
      text: sorted ? (page.sort.descending ? ' ▼' : ' ▲') : '' })]));
    headRow.append(th);
  }
  let rows = page.files.flatMap((entry) => entry.faces.map((face, index) => ({ entry, face, index })));
  const sortColumn = columns.find((column) => column.id === page.sort.column);
  if (sortColumn) rows = sortRows(rows, sortColumn.key, page.sort.descending);
  const body = element('tbody');
  summaryRows.clear();
  for (const row of rows) {
    const tr = summaryRow(row, columns, on);
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
function addSummaryRows(page, columns, on) {
  const body = $('summary').tBodies[0];
  let following = null;  // the first row of a later file
  for (let i = page.files.length - 1; i >= 0; i--) {
    const entry = page.files[i];
    if (!summaryRows.has(entry.id) && entry.faces.length) {
      const rows = entry.faces.map((face, index) => summaryRow({ entry, face, index }, columns, on));
      for (const tr of rows) body.insertBefore(tr, following);
      summaryRows.set(entry.id, rows);
    }
    if (summaryRows.has(entry.id)) following = summaryRows.get(entry.id)[0];
  }
}

function summaryRow(row, columns, on) {
  const tr = element('tr', { className: row.face.error ? 'failed' : '', 'data-face': faceKey(row.entry.id, row.index) });
  tr.append(element('td', { className: 'file-cell', text: row.entry.name }),
    element('td', { className: 'number', text: row.face.face === null ? '' : String(row.face.face) }),
    element('td', {}, [element('button', {
      type: 'button', className: 'link', onclick: () => on.choose(row.entry.id, row.index),
    }, [familyText(row.face)])]));
  const setColumns = columns.filter((each) => each.set);
  if (!row.face.error) {
    for (const column of setColumns) tr.append(element('td', { className: 'number', text: column.cell(row) }));
  } else if (setColumns.length) {
    tr.append(element('td', { className: 'error-text', colspan: setColumns.length, text: row.face.error }));
  }
  return tr;
}
