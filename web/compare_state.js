// The release gate of the page as plain data and free functions, no DOM:
// the reports dropped beside the fonts (JSON a glyphcensus run wrote with
// --missing, kept as text), the two sides chosen, the comparison asked of the
// worker (the core compares, web/glyphcensus_wasm.cpp gc_compare) and its
// answer, and the answer as the command's text.
export function newCompare() {
  return {
    reports: [],    // {id, name, text}: JSON reports, in the order given
    nextId: 1,
    older: '',      // the chosen sides: 'f<fileId>' (a font measured) or 'r<reportId>'
    newer: '',
    token: 0,       // the comparison asked last; older answers are dropped
    pending: false,
    result: null,   // the worker's answer (report_comparison.h's JSON)
  };
}

export const isReportName = (name) => /\.jsonl?$/i.test(name);

export function addReport(compare, name, text) {
  compare.reports.push({ id: compare.nextId++, name, text });
}

// What may be compared: the fonts measured (with a face that was measured)
// and the reports, as {value, name}.
export function compareChoices(page) {
  const fonts = page.files.filter((entry) => entry.faces.some((face) => !face.error))
    .map((entry) => ({ value: `f${entry.id}`, name: entry.name }));
  const reports = page.compare.reports.map((report) => ({ value: `r${report.id}`, name: report.name }));
  return fonts.concat(reports);
}

// A side's report as JSON text: a font's faces as the command's JSON
// document holds them, or the report's own text. Null when it is gone.
export function sideText(page, value) {
  const id = Number(value.slice(1));
  if (value.startsWith('r')) {
    const report = page.compare.reports.find((candidate) => candidate.id === id);
    return report ? report.text : null;
  }
  const entry = page.byId.get(id);
  return entry && entry.faces.length ? JSON.stringify({ schema: 1, faces: entry.faces }) : null;
}

// The comparison to ask for, as {older, newer, byIndex, token}, or null when
// the two sides are not both chosen, or are the same. Two fonts are matched
// face for face, as `glyphcensus --compare` matches two files; a report as
// `--baseline` matches.
export function compareRequest(page) {
  const { older, newer } = page.compare;
  if (!older || !newer || older === newer) return null;
  const olderText = sideText(page, older);
  const newerText = sideText(page, newer);
  if (olderText === null || newerText === null) return null;
  page.compare.token += 1;
  page.compare.pending = true;
  page.compare.result = null;
  return { older: olderText, newer: newerText, byIndex: older.startsWith('f') && newer.startsWith('f'),
    token: page.compare.token };
}

// The worker's answer; false when it is not for the comparison asked last.
export function takeComparison(compare, message) {
  if (!message || message.token !== compare.token) return false;
  compare.pending = false;
  compare.result = message.result && typeof message.result === 'object' ? message.result : null;
  return true;
}

// Whether the answer holds a loss (a lost member or a gone face).
export function comparisonHasLoss(result) {
  if (!result || !Array.isArray(result.faces)) return false;
  const lost = result.faces.some((face) => face.lost && Object.keys(face.lost).length > 0);
  return lost || (Array.isArray(result.gone) && result.gone.length > 0);
}

// The answer as text, in the command's words: per face its path (and face),
// then the core's lines of what it lost and gained ("lost ひらがな：1", the
// members by reason), or `words.same` / `words.unmatched`; then "gone: PATH"
// per face of the old side that the new one lacks. `words.error(text)` for a
// report the core refused.
export function comparisonText(result, words) {
  if (!result) return '';
  if (typeof result.error === 'string') return words.error(result.error);
  const blocks = (result.faces || []).map((face) => {
    const title = Number.isInteger(face.face) ? `${face.path} (face ${face.face})` : String(face.path);
    let lines;
    if (!face.lost) lines = [words.unmatched];
    else if (Array.isArray(face.lines) && face.lines.length) lines = face.lines;
    else lines = [words.same];
    return [title, ...lines].join('\n');
  });
  for (const gone of result.gone || []) {
    blocks.push(`gone: ${gone.path}${Number.isInteger(gone.faces) && gone.faces > 1 ? ` (face ${gone.face})` : ''}`);
  }
  return blocks.join('\n\n');
}
