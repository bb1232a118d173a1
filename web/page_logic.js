// The page's rules that hold no page state: natural file-name order, which
// files a folder drop takes, how counts are written, the CSV writer, the
// summary sort and the cleaning of the map's SVG. Loaded by index.html as a
// classic script (window.GlyphCensusLogic), and by node's test runner through
// require() (all but parseMap, which needs a browser).
'use strict';
(function (root) {
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
  function compareNaturally(aText, bText) {
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
  function compareFileNames(a, b) {
    return compareNaturally(a, b) || compareCodePoints(a, b);
  }

  // The extensions a folder drop takes, in any letter case: those of the
  // command's folder walk (HasFontFileExtension), and .otc, the name OpenType
  // gives CFF collections. Files dropped or picked one by one are all measured,
  // whatever their name, so that one that is not a font is reported.
  const FONT_EXTENSIONS = ['ttc', 'ttf', 'otf', 'otc', 'woff', 'woff2'];
  function hasFontFileExtension(name) {
    const dot = name.lastIndexOf('.');
    return dot >= 0 && FONT_EXTENSIONS.includes(name.slice(dot + 1).toLowerCase());
  }

  // The order in which a dropped folder's entries are measured, as the
  // command's recursive walk takes them (ExpandFontInputs): the folder's own
  // font files first, then each subfolder, both in natural order.
  function orderFolderEntries(fileNames, folderNames) {
    return {
      files: fileNames.filter(hasFontFileExtension).sort(compareFileNames),
      folders: folderNames.slice().sort(compareFileNames),
    };
  }

  // Relative paths ("folder/sub/x.ttf") in the order of the command's
  // recursive walk, keeping only font file names.
  function walkOrder(paths) {
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
  function formatNumber(n) {
    return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ',');
  }

  // The count part of a report line: "2,135/2,136", or the words of the
  // report for all ("全2,136") and none ("－"); `words` holds them per language.
  function formatCount(present, total, words) {
    if (present === 0) return words.none(formatNumber(total));
    if (present === total) return words.all(formatNumber(total));
    return `${formatNumber(present)}/${formatNumber(total)}`;
  }

  // A percentage with one decimal, rounded down, so that 2,135 of 2,136 shows
  // as 99.9 and never as a full 100.0.
  function percent(present, total) {
    if (total === 0) return '';
    return (Math.floor((present * 1000) / total) / 10).toFixed(1);
  }

  // One CSV field as RFC 4180 quotes it (cli/render_delimited.cpp: a field
  // holding the delimiter, a quote, CR or LF is quoted, its quotes doubled).
  function csvField(text, delimiter) {
    const value = text === null || text === undefined ? '' : String(text);
    if (!/["\r\n]/.test(value) && !value.includes(delimiter)) return value;
    return `"${value.replace(/"/g, '""')}"`;
  }

  // The built-in sets, in report order: the set columns of the command's CSV.
  const BUILT_IN_SET_IDS = ['ascii-letters', 'digits', 'ascii-symbols', 'hiragana', 'katakana',
    'education-kanji', 'regular-use-kanji', 'jis-x-0208-level-1', 'jis-x-0208-level-2',
    'jis-x-0213-level-3', 'jis-x-0213-level-4', 'ibm-extensions', 'nec-special', 'greek', 'cyrillic'];

  // The command's --format csv document of the faces: the header path,
  // container, face, family, error and one column per set id (the built-in
  // ones, then any other in the order met), then a row per face with the
  // present counts (empty for a face not measured). Rows end in LF.
  function facesToCsv(faces, delimiter = ',') {
    const setIds = BUILT_IN_SET_IDS.slice();
    for (const face of faces) {
      for (const set of face.sets || []) if (!setIds.includes(set.id)) setIds.push(set.id);
    }
    const row = (fields) => fields.map((field) => csvField(field, delimiter)).join(delimiter) + '\n';
    let csv = row(['path', 'container', 'face', 'family', 'error', ...setIds]);
    for (const face of faces) {
      const present = new Map((face.sets || []).map((set) => [set.id, String(set.present)]));
      csv += row([face.path, face.container, face.face, face.family, face.error,
        ...setIds.map((id) => present.get(id))]);
    }
    return csv;
  }

  // Sorts summary rows by one key, stably. `key(row)` gives a number, a
  // string (compared in natural order) or null; rows without a value go last
  // in either direction.
  function sortRows(rows, key, descending) {
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

  // ---- The coverage map (browser only: DOMParser, CSSStyleSheet) ----------

  const SVG_NS = 'http://www.w3.org/2000/svg';
  const ALLOWED_ELEMENTS = new Set(['svg', 'g', 'defs', 'path', 'rect', 'use', 'text', 'title', 'tspan', 'desc']);
  const ALLOWED_ATTRIBUTES = new Set(['version', 'width', 'height', 'viewBox', 'id', 'class', 'd', 'x', 'y',
    'href', 'transform', 'fill', 'data-kuten', 'data-index']);

  // Keeps only the elements and attributes the map is made of: no script,
  // foreignObject, event handler (on*), style or link out of the document.
  // The family name in the map is the font's own text.
  function cleanSvg(svg) {
    for (const node of svg.querySelectorAll('*')) {
      if (node.namespaceURI !== SVG_NS || !ALLOWED_ELEMENTS.has(node.localName)) node.remove();
      else cleanAttributes(node);
    }
    cleanAttributes(svg);
  }

  function cleanAttributes(node) {
    for (const name of node.getAttributeNames()) {
      if (!ALLOWED_ATTRIBUTES.has(name) || (name === 'href' && !node.getAttribute(name).startsWith('#'))) {
        node.removeAttribute(name);
      }
    }
  }

  // The map's own style rules, confined to the element `scope` (a selector).
  // The page's policy allows no <style> element, but a constructed style
  // sheet is allowed.
  function mapStyleSheet(styleText, scope) {
    const parsed = new CSSStyleSheet();
    parsed.replaceSync(styleText);
    const confined = new CSSStyleSheet();
    for (const rule of parsed.cssRules) {
      if (!(rule instanceof CSSStyleRule) || /url\(/i.test(rule.style.cssText)) continue;
      confined.insertRule(`${scope} :is(${rule.selectorText}){${rule.style.cssText}}`, confined.cssRules.length);
    }
    return confined;
  }

  // The map writer (cli/render_svg_map.cpp) puts its rules in the one <style>
  // element before <defs>. It is taken out of the text before parsing, as the
  // policy would refuse the element even in a parsed document never shown.
  const MAP_STYLE = /<style>([^<]*)<\/style>/;

  // The map's SVG text as a cleaned <svg> element of this document and its
  // style sheet for `scope`; null when the text is not an SVG document.
  function parseMap(svgText, scope) {
    const style = MAP_STYLE.exec(svgText);
    const parsed = new DOMParser().parseFromString(svgText.replace(MAP_STYLE, ''), 'image/svg+xml');
    const root = parsed.documentElement;
    if (parsed.getElementsByTagName('parsererror').length || root.namespaceURI !== SVG_NS ||
        root.localName !== 'svg') return null;
    // The parents of mapPieces' pieces, taken before cleaning can remove any.
    const splitParents = [...root.children].filter((node) => node.tagName === 'g' || node.tagName === 'defs');
    cleanSvg(root);
    return { svg: document.adoptNode(root), sheet: mapStyleSheet(style ? style[1] : '', scope), splitParents };
  }

  // One of mapPieces' pieces as cleaned nodes of this document (a fragment);
  // null when it is not a run of SVG elements.
  function parseMapPiece(pieceText) {
    const parsed = new DOMParser().parseFromString(`<svg xmlns="${SVG_NS}">${pieceText}</svg>`, 'image/svg+xml');
    const root = parsed.documentElement;
    if (parsed.getElementsByTagName('parsererror').length || root.namespaceURI !== SVG_NS ||
        root.localName !== 'svg') return null;
    cleanSvg(root);
    const fragment = document.createDocumentFragment();
    fragment.append(...document.adoptNode(root).childNodes);
    return fragment;
  }

  // The map's SVG text in pieces that can be put in one at a time: `head`,
  // the document without the children of its top-level <g> and <defs>
  // elements, and `pieces`, runs of those children ({parent, start, end}:
  // offsets into the text, `parent` the index of the element among the
  // root's <g> and <defs> children; `top` and `bottom`, the user-space band
  // its content lies in, or infinite when unknown), of about `pieceSize` characters, in
  // document order. Reads only tags, as the map writer writes them (no
  // comment or CDATA after the XML declaration); null when the text is not
  // made so, and the map is then parsed whole.
  // Where a piece's elements lie: the y of a group's translation or of an
  // element; its content reaches at most PIECE_MARGIN above or below.
  const PIECE_Y = /^<[^>]*?\s(?:transform="translate\(\s*-?[\d.]+[\s,]+(-?[\d.]+)\s*\)"|y="(-?[\d.]+)")/;
  const PIECE_MARGIN = 60;

  function mapPieces(svgText, pieceSize) {
    const tag = /<[^>]*>/g;
    const head = [];
    const pieces = [];
    let headFrom = 0;
    let depth = 0;
    let topLevel = -1;     // index of the current top-level <g> or <defs>
    let splittable = false;
    let piece = null;
    let lastEnd = 0;       // where the previous tag ended
    const finish = () => {
      pieces.push(piece);
      head.push(svgText.slice(headFrom, piece.start));
      headFrom = piece.end;
      piece = null;
    };
    for (let found = tag.exec(svgText); found; found = tag.exec(svgText)) {
      const token = found[0];
      const at = found.index;
      const end = at + token.length;
      if (splittable && depth === 2 && /\S/.test(svgText.slice(lastEnd, at))) return null;
      lastEnd = end;
      if (token.startsWith('<?') || token.startsWith('<!')) {
        if (depth !== 0) return null;
        continue;
      }
      const closing = token.startsWith('</');
      const selfClosing = !closing && token.endsWith('/>');
      if (closing) depth--;
      if (depth < 0) return null;
      const level = depth + 1;  // of the element the tag begins or ends
      if (!closing) {
        if (level === 2) {
          splittable = /^<(g|defs)[\s>]/.test(token);
          if (splittable) topLevel++;
          // A group's own transform would move its pieces' extents.
          if (splittable && /\stransform=/.test(token)) splittable = false;
        }
        if (splittable && level === 3 && !piece) {
          piece = { parent: topLevel, start: at, end: at, top: Infinity, bottom: -Infinity };
        }
        if (piece && level === 3) {
          const y = PIECE_Y.exec(token);
          if (y) {
            const value = Number(y[1] !== undefined ? y[1] : y[2]);
            piece.top = Math.min(piece.top, value - PIECE_MARGIN);
            piece.bottom = Math.max(piece.bottom, value + PIECE_MARGIN);
          }
        }
        if (!selfClosing) depth++;
      }
      if (piece && level === 3 && (closing || selfClosing)) {
        piece.end = end;
        if (piece.end - piece.start >= pieceSize) finish();
      }
      if (piece && closing && level === 2) finish();
    }
    if (depth !== 0 || piece) return null;
    head.push(svgText.slice(headFrom));
    return { head: head.join(''), pieces };
  }

  const api = {
    compareNaturally, compareFileNames, hasFontFileExtension, orderFolderEntries, walkOrder,
    formatNumber, formatCount, percent, csvField, facesToCsv, sortRows, parseMap, mapPieces,
    parseMapPiece,
  };
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.GlyphCensusLogic = api;
})(typeof window === 'object' ? window : globalThis);
