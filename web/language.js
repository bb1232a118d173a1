// The page's words in the language chosen (i18n.js), and the choice: the
// one saved, else the browser's first language the page has, else English.
import { STRINGS } from './i18n.js';

const SAVED_LANGUAGE = 'glyphcensus-language';
let current = 'ja';

export function setLanguage(lang) {
  current = lang;
}

export function text(key, ...values) {
  const entry = STRINGS[current][key];
  return typeof entry === 'function' ? entry(...values) : entry;
}

export function chooseLanguage() {
  let saved = null;
  try { saved = localStorage.getItem(SAVED_LANGUAGE); } catch (error) { /* storage off */ }
  if (saved in STRINGS) return saved;
  const wanted = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
  for (const tag of wanted) {
    const primary = String(tag).toLowerCase().split('-')[0];
    if (primary in STRINGS) return primary;
  }
  return 'en';
}

export function saveLanguage(lang) {
  try { localStorage.setItem(SAVED_LANGUAGE, lang); } catch (error) { /* storage off */ }
}
