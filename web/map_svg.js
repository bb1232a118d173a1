// The coverage map's SVG text as nodes of this document, cleaned of anything
// the map writer does not make, with its style rules confined to the map.
// Browser only (DOMParser, CSSStyleSheet).
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

// The map writer (coverage/map/map_svg.cpp) puts its rules in the one <style>
// element before <defs>. It is taken out of the text before parsing, as the
// policy would refuse the element even in a parsed document never shown.
const MAP_STYLE = /<style>([^<]*)<\/style>/;

// The map's SVG text as a cleaned <svg> element of this document and its
// style sheet for `scope`; null when the text is not an SVG document.
export function parseMap(svgText, scope) {
  const style = MAP_STYLE.exec(svgText);
  const parsed = new DOMParser().parseFromString(svgText.replace(MAP_STYLE, ''), 'image/svg+xml');
  const root = parsed.documentElement;
  if (parsed.getElementsByTagName('parsererror').length || root.namespaceURI !== SVG_NS ||
      root.localName !== 'svg') return null;
  // The parents of the worker's map pieces (map_pieces.js), taken before cleaning can remove any.
  const splitParents = [...root.children].filter((node) => node.tagName === 'g' || node.tagName === 'defs');
  cleanSvg(root);
  return { svg: document.adoptNode(root), sheet: mapStyleSheet(style ? style[1] : '', scope), splitParents };
}

// One of the worker's map pieces (map_pieces.js) as cleaned nodes of this document (a fragment);
// null when it is not a run of SVG elements.
export function parseMapPiece(pieceText) {
  const parsed = new DOMParser().parseFromString(`<svg xmlns="${SVG_NS}">${pieceText}</svg>`, 'image/svg+xml');
  const root = parsed.documentElement;
  if (parsed.getElementsByTagName('parsererror').length || root.namespaceURI !== SVG_NS ||
      root.localName !== 'svg') return null;
  cleanSvg(root);
  const fragment = document.createDocumentFragment();
  fragment.append(...document.adoptNode(root).childNodes);
  return fragment;
}

