// File intake: files and folders dropped or picked, handed on as {name, file}
// in the order they are to be measured. A dropped or picked folder gives its
// font files in the order of the command's folder walk; files given one by
// one are all taken, whatever their name, so that one that is not a font is
// reported.
import { $ } from './dom.js';
import { hasFontFileExtension, walkOrder } from './page_logic.js';
import { text } from './language.js';

const MAX_FOLDER_DEPTH = 64;

const readEntries = (reader) => new Promise((resolve, reject) => reader.readEntries(resolve, reject));
const entryFile = (entry) => new Promise((resolve, reject) => entry.file(resolve, reject));

// Every font file below a dropped folder, by its path from the folder's parent.
async function listFolder(folder, depth, found, on) {
  if (depth > MAX_FOLDER_DEPTH) {
    on.message(text('folderTooDeep', folder.fullPath.slice(1)));
    return;
  }
  const reader = folder.createReader();
  try {
    for (;;) {
      const batch = await readEntries(reader);  // a batch at a time, until empty
      if (!batch.length) break;
      for (const entry of batch) {
        if (entry.isDirectory) await listFolder(entry, depth + 1, found, on);
        else if (hasFontFileExtension(entry.name)) found.set(entry.fullPath.slice(1), entry);
      }
    }
  } catch (error) {
    on.message(text('folderUnreadable', folder.fullPath.slice(1)));
  }
}

async function collectDrop(entries, looseFiles, on) {
  on.collecting(+1);
  const collected = [];
  try {
    for (const entry of entries) {
      if (entry.isDirectory) {
        const found = new Map();
        await listFolder(entry, 0, found, on);
        for (const name of walkOrder([...found.keys()])) {
          try {
            collected.push({ name, file: await entryFile(found.get(name)) });
          } catch (error) {
            on.message(`${name}: ${text('readFailed', error.message)}`);
          }
        }
      } else {
        try {
          collected.push({ name: entry.fullPath.slice(1) || entry.name, file: await entryFile(entry) });
        } catch (error) {
          on.message(`${entry.name}: ${text('readFailed', error.message)}`);
        }
      }
    }
    for (const file of looseFiles) collected.push({ name: file.name, file });
  } finally {
    on.collecting(-1);
  }
  on.files(collected);
}

function onDrop(event, on) {
  event.preventDefault();
  $('drop-zone').classList.remove('dragging');
  const transfer = event.dataTransfer;
  if (!transfer) return;
  // The entries must be taken now: the transfer is emptied after the event.
  const entries = [];
  const looseFiles = [];
  const items = transfer.items ? [...transfer.items].filter((item) => item.kind === 'file') : [];
  if (items.length && typeof items[0].webkitGetAsEntry === 'function') {
    for (const item of items) {
      const entry = item.webkitGetAsEntry();
      if (entry) entries.push(entry);
      else if (item.getAsFile()) looseFiles.push(item.getAsFile());
    }
  } else {
    looseFiles.push(...transfer.files);
  }
  collectDrop(entries, looseFiles, on);
}

// A picked folder: its font files in the order of the command's walk.
function pickedFolder(fileList) {
  const byPath = new Map();
  for (const file of fileList) byPath.set(file.webkitRelativePath || file.name, file);
  return walkOrder([...byPath.keys()]).map((name) => ({ name, file: byPath.get(name) }));
}

// Listens to the drop zone (the whole document) and the two pickers.
// `on.files(entries)` gets what was given, `on.collecting(+1 or -1)` tells
// when a drop begins and ends being listed, `on.message(text)` a folder or
// file that cannot be read.
export function listenForFiles(on) {
  const drop = $('drop-zone');
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    if (event.dataTransfer) event.dataTransfer.dropEffect = 'copy';
    drop.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) drop.classList.remove('dragging');
  });
  document.addEventListener('drop', (event) => onDrop(event, on));
  $('fonts').addEventListener('change', (event) => {
    on.files([...event.target.files].map((file) => ({ name: file.name, file })));
    event.target.value = '';
  });
  $('folder').addEventListener('change', (event) => {
    on.files(pickedFolder(event.target.files));
    event.target.value = '';
  });
}
