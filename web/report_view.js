// The chosen face's report: its name and file, each set's count and bar, and
// the list of its missing characters to open and copy.
import { $, copyText, element } from './dom.js';
import { text } from './language.js';
import {
  changed, faceErrorText, formatCount, formatNumber, missingByReason, missingText, verticalMetricsText,
} from './page_logic.js';
import { chosenFace, fileById } from './page_state.js';
import { STATUS_KEYS, familyText } from './file_list_view.js';

export const countText = (present, total) => formatCount(present, total,
  { all: (n) => text('countAll', n), none: (n) => text('countNone', n) });

// The missing members as text: as listed, or grouped by why they are missing
// ("no-ink (2)" and the members under it), as the command's --why shows them.
function missingListText(set, byReason) {
  if (!byReason) return missingText(set);
  return missingByReason(set).map((group) => `${group.reason} (${group.count})\n${group.text}`).join('\n');
}

function renderSet(set, byReason) {
  const fill = element('span', { className: 'bar-fill' });
  fill.style.width = `${set.total ? (100 * set.present) / set.total : 0}%`;
  const row = element('li', { className: 'set' }, [
    element('span', { className: 'set-label', lang: 'ja', text: set.label }),
    element('code', { className: 'set-id', text: set.id }),
    element('span', { className: 'set-count', text: countText(set.present, set.total) }),
    ...(Number.isInteger(set.cids_present) ? [element('span', { className: 'set-cids',
      text: text('cidCount', formatNumber(set.cids_present), formatNumber(set.cids_total)) })] : []),
    element('span', { className: 'bar', 'aria-hidden': 'true' }, [fill]),
  ]);
  const lacking = missingListText(set, byReason);
  if (lacking) {
    const characters = element('p', { className: `characters${byReason ? ' by-reason' : ''}`, lang: 'ja', text: lacking });
    const feedback = element('span', { className: 'hint', role: 'status' });
    row.append(element('details', { className: 'missing-list' }, [
      element('summary', { text: text(set.kind === 'sequences' ? 'missingSequencesButton' : 'missingButton', formatNumber(set.total - set.present)) }),
      characters,
      element('button', { type: 'button', className: 'copy', text: text('copy'),
        onclick: () => copyText(lacking, characters, feedback) }),
      feedback,
    ]));
  }
  return row;
}

function buildReport(page) {
  const chosen = chosenFace(page);
  const sets = $('sets');
  const extended = $('sets-extended');
  sets.replaceChildren();
  extended.replaceChildren();
  $('extended-title').hidden = true;
  $('face-error').hidden = true;
  $('vertical-metrics').hidden = true;
  if (!chosen) {
    // A file chosen before its result: its name and where it stands.
    const entry = page.chosen && fileById(page, page.chosen.fileId);
    $('face-title').textContent = entry ? entry.name : text('noChoice');
    $('face-path').textContent = entry ? text(STATUS_KEYS[entry.status]) : '';
    if (entry && entry.message) {
      $('face-error').hidden = false;
      $('face-error').textContent = entry.message;
    }
    return;
  }
  const { entry, face } = chosen;
  $('face-title').textContent = familyText(face);
  $('face-path').textContent = face.faces > 1
    ? `${entry.name} — ${text('faceOf', face.face + 1, face.faces)}` : entry.name;
  if (face.error) {
    $('face-error').hidden = false;
    $('face-error').textContent = text('notMeasured', faceErrorText(face));
  } else if (face.warning) {
    $('face-error').hidden = false;
    $('face-error').textContent = text('measuredInPart', face.warning);
  }
  const vertical = verticalMetricsText(face, text('verticalMetricsLacking'));
  $('vertical-metrics').hidden = !vertical;
  $('vertical-metrics').textContent = vertical ? text('verticalMetrics', vertical) : '';
  // The dialog's fifteen (and the page's own sets) first, then the extended
  // repertoires in a group of their own.
  for (const set of face.sets || []) {
    (set.group === 'extended' ? extended : sets).append(renderSet(set, page.missingByReason));
  }
  $('extended-title').hidden = !extended.childElementCount;
}

// Rebuilt only when the face, its state or the language changes, so that
// an opened list of missing characters stays open.
const reportShown = [];

export function renderReport(page) {
  const { chosen } = page;
  const entry = chosen && fileById(page, chosen.fileId);
  if (changed(reportShown, [page.lang, page.missingByReason, chosen && chosen.fileId, chosen && chosen.index,
    entry && entry.status, entry && entry.faces.length])) {
    buildReport(page);
  }
}
