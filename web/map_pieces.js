// The coverage map's SVG text cut into pieces that the page puts in one at a
// time. A classic script: the worker loads it with importScripts (its
// measuring module is a classic script too), and node's tests run it in a
// context of their own. It gives self.GlyphCensusMapPieces.
'use strict';
(function (root) {
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

  root.GlyphCensusMapPieces = { mapPieces };
})(self);
