// The progress line: where measuring stands, the progress bar, Cancel, and
// the messages of files and folders that could not be read.
import { $, element, setText } from './dom.js';
import { text } from './language.js';
import { progress } from './page_state.js';

export function renderStatus(page) {
  const { waiting, measuring, total, done, failed } = progress(page);
  let status;
  if (page.workerFailure) status = page.workerFailure;
  else if (page.collecting) status = text('collecting');
  else if (measuring) status = text('measuring', measuring.name, done + 1, total);
  else if (waiting && !page.workerReady) status = text('starting');
  else if (page.lastRun.cancelled) status = text('cancelled', page.lastRun.cancelled);
  else if (total) status = text('finished', total, failed);
  else status = text('idle');
  setText($('status'), status);
  $('overall').max = Math.max(total, 1);
  $('overall').value = total ? done : 0;
  $('cancel').disabled = !(measuring || waiting || page.map.pending);
}

export function showMessage(message) {
  $('messages').append(element('p', { className: 'error-text', text: message }));
}
