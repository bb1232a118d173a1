// Small helpers the views share: finding and making elements, changing text
// only when it differs, downloads, copying and waiting for the next frame.
import { text } from './language.js';

export const $ = (id) => document.getElementById(id);

export function element(tag, properties = {}, children = []) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(properties)) {
    if (key === 'className') node.className = value;
    else if (key === 'text') node.textContent = value;
    else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
    else node.setAttribute(key, value);
  }
  for (const child of children) if (child) node.append(child);
  return node;
}

// Unchanged text is left alone, so that a selection in it survives.
export function setText(node, value) {
  if (node.textContent !== value) node.textContent = value;
}

export function download(name, content, type) {
  const url = URL.createObjectURL(new Blob([content], { type }));
  const link = element('a', { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// Copies with the clipboard API; where it is missing or refused, selects the
// text so that the person can copy it.
export async function copyText(value, shownIn, feedback) {
  try {
    await navigator.clipboard.writeText(value);
    feedback.textContent = text('copied');
  } catch (error) {
    const selection = window.getSelection();
    selection.removeAllRanges();
    const range = document.createRange();
    range.selectNodeContents(shownIn);
    selection.addRange(range);
    feedback.textContent = text('selectedToCopy');
  }
}

// Runs `run` once at the next frame, or after 100 ms in a hidden tab.
export function nextFrame(run) {
  let done = false;
  const once = () => {
    if (done) return;
    done = true;
    run();
  };
  requestAnimationFrame(once);
  setTimeout(once, 100);
}
