// The list of files in natural order, each with its status and message, and
// the faces of a collection. One node per file, updated in place, so that
// focus, and a script holding an element, survive the updates.
import { $, element, setText } from './dom.js';
import { text } from './language.js';
import { changed } from './page_logic.js';

export const STATUS_KEYS = {
  queued: 'statusQueued', reading: 'statusReading', measuring: 'statusMeasuring',
  done: 'statusDone', error: 'statusError', cancelled: 'statusCancelled',
};

export const familyText = (face) => (face.family ? face.family : text('noName'));

const fileNodes = new Map();  // fileId -> its elements and what they show

function fileNode(entry, onChoose) {
  let node = fileNodes.get(entry.id);
  if (node) return node;
  node = {
    item: element('li'),
    status: element('span', { className: 'file-status' }),
    message: element('p', { className: 'error-text' }),
    faces: null,
    facesLang: null,
    shown: [],
  };
  node.button = element('button', {
    type: 'button', className: 'file-button', 'data-file': entry.id, onclick: () => onChoose(entry.id, 0),
  }, [element('span', { className: 'file-name', text: entry.name }), node.status]);
  node.item.append(node.button, node.message);
  fileNodes.set(entry.id, node);
  return node;
}

function faceButtons(entry, onChoose) {
  const list = element('ol', { className: 'faces' });
  entry.faces.forEach((face, index) => {
    list.append(element('li', {}, [element('button', {
      type: 'button', className: 'face-button', 'data-face': index, onclick: () => onChoose(entry.id, index),
    }, [`${text('faceOf', index + 1, entry.faces.length)} `, element('span', { text: familyText(face) })])]));
  });
  return list;
}

// `onChoose(fileId, faceIndex)` is called when a file or face is clicked.
export function renderFiles(page, onChoose) {
  const list = $('file-list');
  page.natural.forEach((entry, position) => {
    const node = fileNode(entry, onChoose);
    // Moved only when out of place: moving a node takes the focus from it.
    if (list.children[position] !== node.item) list.insertBefore(node.item, list.children[position] || null);
    const chosenFile = Boolean(page.chosen && page.chosen.fileId === entry.id);
    if (!changed(node.shown, [entry.status, entry.message, chosenFile && page.chosen.index, page.lang,
      entry.faces.length])) return;  // nothing to change
    const collection = entry.faces.length > 1;
    node.item.className = `file status-${entry.status}`;
    setText(node.status, text(STATUS_KEYS[entry.status]));
    node.button.setAttribute('aria-current', String(chosenFile && !collection));
    setText(node.message, entry.message);
    node.message.hidden = !entry.message;
    if (collection && node.facesLang !== page.lang) {
      const faces = faceButtons(entry, onChoose);
      if (node.faces) node.faces.replaceWith(faces);
      else node.button.after(faces);
      node.faces = faces;
      node.facesLang = page.lang;
    }
    if (node.faces) {
      for (const button of node.faces.querySelectorAll('button')) {
        button.setAttribute('aria-current', String(chosenFile && page.chosen.index === Number(button.dataset.face)));
      }
    }
  });
}

// Moves the focus to a file's button when it is within the list already
// (the Left and Right keys).
export function focusFile(fileId) {
  const button = document.querySelector(`#file-list [data-file="${fileId}"]`);
  if (button && document.activeElement && document.activeElement.closest('#file-list')) button.focus();
}
