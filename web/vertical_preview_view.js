// The vertical preview: the chosen face's missing vertical forms set top to
// bottom (writing-mode: vertical-rl) in the dropped font itself, so that a
// comma at the bottom left or a bracket opening sideways can be seen. The
// font is handed to the browser as a FontFace from a blob: URL of the file
// (the page's policy allows font-src blob: only); the page never reads its
// bytes. A collection's FontFace is its first face, so the preview is shown
// for single fonts and the first face of a collection only.
import { $ } from './dom.js';
import { text } from './language.js';
import { changed, missingText } from './page_logic.js';
import { chosenFace } from './page_state.js';

const loaded = new Map();  // fileId -> Promise of the family name, or null when it failed
let nextFamily = 1;

function fontFamilyFor(entry) {
  if (!loaded.has(entry.id)) {
    const url = URL.createObjectURL(entry.file);
    const family = `glyphcensus-preview-${nextFamily++}`;
    const face = new FontFace(family, `url(${url})`);
    loaded.set(entry.id, face.load().then(() => {
      document.fonts.add(face);
      return family;
    }, () => null).finally(() => URL.revokeObjectURL(url)));
  }
  return loaded.get(entry.id);
}

const shown = [];

export function renderVerticalPreview(page) {
  const chosen = chosenFace(page);
  const set = chosen && !chosen.face.error && (chosen.face.sets || []).find((s) => s.id === 'vertical-forms');
  const missing = set ? missingText(set) : '';
  const firstFace = chosen && !(chosen.face.face > 0);
  if (!changed(shown, [page.lang, chosen && chosen.key, missing])) return;
  const panel = $('vertical-preview-panel');
  const preview = $('vertical-preview');
  panel.hidden = !missing;
  if (!missing) return;
  preview.textContent = missing;
  preview.style.fontFamily = '';
  $('vertical-preview-note').textContent = text(firstFace ? 'verticalPreviewNote' : 'verticalPreviewOtherFace');
  if (!firstFace || typeof FontFace !== 'function' || !chosen.entry.file) return;
  const key = chosen.key;
  fontFamilyFor(chosen.entry).then((family) => {
    if (family && shown[1] === key) preview.style.fontFamily = `"${family}"`;
  });
}
