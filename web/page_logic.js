// The page's rules that hold no page state: natural file-name order, which
// files a folder drop takes, how counts and missing characters are written
// and the summary sort. No DOM: node's test runner imports it too.
const isDigit = (c) => c >= 0x30 && c <= 0x39;
const lowerAscii = (c) => (c >= 0x41 && c <= 0x5a ? c + 0x20 : c);
// Code points, so that comparing them orders text as UTF-8 bytes do in the
// command (UTF-16 units would not: U+FFxx would sort after U+1xxxx).
const codePoints = (text) => Array.from(text, (c) => c.codePointAt(0));

// Compares the digit runs at a[i] and b[j] by value (leading zeros skipped,
// a longer run of significant digits is larger) and moves both past them.
function compareDigitRuns(a, b, at) {
  while (at.i < a.length && a[at.i] === 0x30) at.i++;
  while (at.j < b.length && b[at.j] === 0x30) at.j++;
  const aStart = at.i;
  const bStart = at.j;
  while (at.i < a.length && isDigit(a[at.i])) at.i++;
  while (at.j < b.length && isDigit(b[at.j])) at.j++;
  const aLength = at.i - aStart;
  const bLength = at.j - bStart;
  if (aLength !== bLength) return aLength < bLength ? -1 : 1;
  for (let k = 0; k < aLength; k++) {
    if (a[aStart + k] !== b[bStart + k]) return a[aStart + k] < b[bStart + k] ? -1 : 1;
  }
  return 0;
}

// Natural order of two names, the same as CompareNaturally in
// fontio/font_file_names.cpp (the order of the Windows program's font file
// list and of the command's folder walk): digit runs by value, a digit
// before any other character, ASCII letters without regard to case, other
// characters by code point.
export function compareNaturally(aText, bText) {
  const a = codePoints(aText);
  const b = codePoints(bText);
  const at = { i: 0, j: 0 };
  while (at.i < a.length && at.j < b.length) {
    const aDigit = isDigit(a[at.i]);
    const bDigit = isDigit(b[at.j]);
    if (aDigit && bDigit) {
      const numbers = compareDigitRuns(a, b, at);
      if (numbers !== 0) return numbers;
      continue;
    }
    if (aDigit !== bDigit) return aDigit ? -1 : 1;
    const x = lowerAscii(a[at.i]);
    const y = lowerAscii(b[at.j]);
    if (x !== y) return x < y ? -1 : 1;
    at.i++;
    at.j++;
  }
  if (at.i < a.length) return 1;
  if (at.j < b.length) return -1;
  return 0;
}

// Code point order: the tie-break of names equal in natural order.
function compareCodePoints(aText, bText) {
  const a = codePoints(aText);
  const b = codePoints(bText);
  for (let k = 0; k < Math.min(a.length, b.length); k++) {
    if (a[k] !== b[k]) return a[k] < b[k] ? -1 : 1;
  }
  return a.length - b.length;
}

// A total order for sorting names, as NaturalFileNameLess in
// fontio/font_file_names.cpp, given as a comparator for Array.sort.
export function compareFileNames(a, b) {
  return compareNaturally(a, b) || compareCodePoints(a, b);
}

// The extensions a folder drop takes, in any letter case: those of the
// command's folder walk (HasFontFileExtension), and .otc, the name OpenType
// gives CFF collections. Files dropped or picked one by one are all measured,
// whatever their name, so that one that is not a font is reported.
const FONT_EXTENSIONS = ['ttc', 'ttf', 'otf', 'otc', 'woff', 'woff2'];
export function hasFontFileExtension(name) {
  const dot = name.lastIndexOf('.');
  return dot >= 0 && FONT_EXTENSIONS.includes(name.slice(dot + 1).toLowerCase());
}

// The order in which a dropped folder's entries are measured, as the
// command's recursive walk takes them (ExpandFontInputs): the folder's own
// font files first, then each subfolder, both in natural order.
export function orderFolderEntries(fileNames, folderNames) {
  return {
    files: fileNames.filter(hasFontFileExtension).sort(compareFileNames),
    folders: folderNames.slice().sort(compareFileNames),
  };
}

// Relative paths ("folder/sub/x.ttf") in the order of the command's
// recursive walk, keeping only font file names.
export function walkOrder(paths) {
  const newFolder = () => ({ files: [], folders: new Map() });
  const root = newFolder();
  for (const path of paths) {
    const parts = path.split('/');
    let node = root;
    for (const part of parts.slice(0, -1)) {
      if (!node.folders.has(part)) node.folders.set(part, newFolder());
      node = node.folders.get(part);
    }
    node.files.push(parts[parts.length - 1]);
  }
  const ordered = [];
  // Folders still to walk, the next at the back, as the command keeps them.
  const pending = [{ node: root, prefix: '' }];
  while (pending.length) {
    const { node, prefix } = pending.pop();
    const listing = orderFolderEntries(node.files, [...node.folders.keys()]);
    for (const name of listing.files) ordered.push(prefix + name);
    for (const name of listing.folders.reverse()) {
      pending.push({ node: node.folders.get(name), prefix: `${prefix}${name}/` });
    }
  }
  return ordered;
}

// 2135 -> "2,135", as the report writes counts.
export function formatNumber(n) {
  return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ',');
}

// The count part of a report line: "2,135/2,136", or the words of the
// report for all ("全2,136") and none ("－"); `words` holds them per language.
export function formatCount(present, total, words) {
  if (present === 0) return words.none(formatNumber(total));
  if (present === total) return words.all(formatNumber(total));
  return `${formatNumber(present)}/${formatNumber(total)}`;
}

// A percentage with one decimal, rounded down, so that 2,135 of 2,136 shows
// as 99.9 and never as a full 100.0.
export function percent(present, total) {
  if (total === 0) return '';
  return (Math.floor((present * 1000) / total) / 10).toFixed(1);
}

// Sorts summary rows by one key, stably. `key(row)` gives a number, a
// string (compared in natural order) or null; rows without a value go last
// in either direction.
export function sortRows(rows, key, descending) {
  const keyed = rows.map((row, index) => ({ row, index, value: key(row) }));
  keyed.sort((a, b) => {
    const aBlank = a.value === null || a.value === undefined;
    const bBlank = b.value === null || b.value === undefined;
    if (aBlank || bBlank) return (aBlank - bBlank) || a.index - b.index;
    const order = typeof a.value === 'number'
      ? a.value - b.value : compareFileNames(a.value, b.value);
    return (descending ? -order : order) || a.index - b.index;
  });
  return keyed.map((each) => each.row);
}


// Why a face was not measured, as the command says it on stderr: the error,
// then which container rule refused the file when one did (the JSON's
// `refusal`).
export function faceErrorText(face) {
  return face.refusal ? `${face.error}; ${face.refusal}` : face.error;
}

const codePointName = (c) => `U+${c.toString(16).toUpperCase().padStart(4, '0')}`;
const isCodePoint = (c) => Number.isInteger(c) && c >= 0 && c <= 0x10ffff;

// The missing sequences of a set, as the command's text report lists them:
// each as the sequence itself, then both code points, two spaces between.
export function missingSequencesText(set) {
  if (!Array.isArray(set.missing_sequences)) return '';
  return set.missing_sequences
    .filter((pair) => Array.isArray(pair) && pair.length === 2 && pair.every(isCodePoint))
    .map(([base, selector]) => `${String.fromCodePoint(base, selector)} ${codePointName(base)} ${codePointName(selector)}`)
    .join('  ');
}

// The missing members of a set of the results as text: for characters the
// JSON's "missing" string, or its code points when only those came; for
// sequences, missingSequencesText.
export function missingText(set) {
  if (set.kind === 'sequences') return missingSequencesText(set);
  if (typeof set.missing === 'string') return set.missing;
  if (!Array.isArray(set.missing_code_points)) return '';
  return set.missing_code_points.filter(isCodePoint)
    .map((c) => String.fromCodePoint(c)).join('');
}

// The face's vertical metrics tables in words: "vhea ✓ · vmtx ✓ · VORG –"
// (VORG only for a CFF face, whose JSON gives it as true or false), or '' when
// the face's JSON has none. `lacking` is appended when vhea or vmtx is missing.
export function verticalMetricsText(face, lacking) {
  const tables = face && face.vertical_metrics;
  if (!tables || typeof tables !== 'object') return '';
  const mark = (name) => `${name} ${tables[name] === true ? '✓' : '–'}`;
  const names = ['vhea', 'vmtx'].concat(typeof tables.VORG === 'boolean' ? ['VORG'] : []);
  const shown = names.map(mark).join(' · ');
  return tables.vhea === true && tables.vmtx === true ? shown : `${shown} ${lacking}`;
}

// The reasons in the order the command's --why lists them.
export const REASON_ORDER = ['unmapped', 'notdef', 'blank', 'empty', 'no-ink', 'not-in-format-14',
  'no-vertical-form'];

// The missing members of a set grouped by why they are missing, in the order
// of --why: [{reason, count, text}] (text as missingText gives it), for a
// set whose missing_reasons match its list; empty otherwise.
export function missingByReason(set) {
  const reasons = set.missing_reasons;
  const sequences = set.kind === 'sequences';
  const members = sequences ? set.missing_sequences : set.missing_code_points;
  if (!Array.isArray(reasons) || !Array.isArray(members) || reasons.length !== members.length) return [];
  return REASON_ORDER.map((reason) => {
    const picked = members.filter((member, k) => reasons[k] === reason);
    const part = sequences ? { kind: 'sequences', missing_sequences: picked }
      : { missing_code_points: picked };
    return { reason, count: picked.length, text: missingText(part) };
  }).filter((group) => group.count > 0);
}

// Whether two lists hold the same values (===) in the same places.
export const sameValues = (a, b) => a.length === b.length && a.every((value, i) => value === b[i]);

// Whether `values` differ from those `memo` holds, which then holds them: a
// view's redraw key, made of the state it draws.
export function changed(memo, values) {
  if (sameValues(memo, values)) return false;
  memo.splice(0, memo.length, ...values);
  return true;
}
