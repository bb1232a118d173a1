// The compare panel (比較): two lists to choose the old and the new side
// from (fonts measured, reports dropped), the button, and the answer as the
// command's text.
import { $, element, setText } from './dom.js';
import { text } from './language.js';
import { changed } from './page_logic.js';
import { compareChoices, comparisonHasLoss, comparisonText } from './compare_state.js';

function fillChoices(select, choices, chosen) {
  const options = [element('option', { value: '', text: text('compareChoose') })];
  for (const choice of choices) {
    const option = element('option', { value: choice.value, text: choice.name });
    if (choice.value === chosen) option.selected = true;
    options.push(option);
  }
  select.replaceChildren(...options);
}

const choicesShown = [];

export function renderCompare(page) {
  const { compare } = page;
  const choices = compareChoices(page);
  if (changed(choicesShown, [page.lang, compare.older, compare.newer,
    choices.map((choice) => choice.value).join(' ')])) {
    fillChoices($('compare-old'), choices, compare.older);
    fillChoices($('compare-new'), choices, compare.newer);
  }
  $('compare-run').disabled = !compare.older || !compare.newer || compare.older === compare.newer;
  const result = $('compare-result');
  setText(result, comparisonText(compare.result, {
    same: text('compareSame'), unmatched: text('compareUnmatched'),
    error: (words) => text('compareRefused', words),
  }));
  result.dataset.state = compare.pending ? 'pending'
    : compare.result ? (comparisonHasLoss(compare.result) ? 'lost' : 'kept') : 'empty';
  setText($('compare-status'), compare.pending ? text('comparing') : '');
}
