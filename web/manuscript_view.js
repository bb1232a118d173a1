// The manuscript check: which characters of a pasted text the chosen face
// lacks, with a button to copy them.
import { $, setText } from './dom.js';
import { text } from './language.js';
import { formatNumber, missingText } from './page_logic.js';
import { charsKey, chosenFace } from './page_state.js';
import { familyText } from './file_list_view.js';

function summaryOf(page) {
  const chosen = chosenFace(page);
  const { chars } = page;
  if (!chars.text) return { summary: '', lacking: '' };
  if (!chosen || chosen.face.error) return { summary: text('manuscriptNoFace'), lacking: '' };
  if (chosen.entry.reloadError) return { summary: chosen.entry.reloadError, lacking: '' };
  if (chars.shown !== charsKey(page)) return { summary: text('manuscriptWaiting'), lacking: '' };
  if (!chars.set) return { summary: chars.error, lacking: '' };
  const { set } = chars;
  const family = familyText(chosen.face);
  let summary;
  if (set.total === 0) summary = text('manuscriptEmpty');
  else if (set.present === set.total) summary = text('manuscriptAll', formatNumber(set.total), family);
  else summary = text('manuscriptLacks', formatNumber(set.total - set.present), formatNumber(set.total), family);
  return { summary, lacking: missingText(set) };
}

export function renderManuscript(page) {
  const { summary, lacking } = summaryOf(page);
  setText($('manuscript-summary'), summary);
  setText($('manuscript-missing'), lacking);
  if ($('manuscript-copy').hidden !== !lacking) setText($('manuscript-copied'), '');
  $('manuscript-copy').hidden = !lacking;
}
