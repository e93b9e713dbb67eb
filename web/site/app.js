// The page: a container opened in the browser, its entries listed, the
// chosen one drawn as `zpk export` draws it, with the viewer's options.
// The core (core.js) does the work; this file only wires the page to it.
import { compileCore, Core, WebError } from './core.js';
import { download, encodePng, zipFiles } from './files.js';
import { browserLanguage, errorText, wordsOf } from './strings.js';

// Larger files are refused before they are read: the page holds the file
// once in the module's memory, and a browser tab has a few GiB in all.
const kMaxFileBytes = 1024 * 1024 * 1024;
const kThumbnailSide = 96;

const $ = (id) => document.getElementById(id);
const page = {
  language: browserLanguage(),
  core: null,
  worker: null,
  file: null, // the File loaded, read again for the gallery
  rows: [],
  row: -1,
  message: null, // () => text, so that a switch of language words it again
  status: null,
  galleryJob: 0,
};
const words = () => wordsOf(page.language);

function stemOf(name) {
  // as zpk names its PNGs: the name without its last extension, and a
  // folder STEM.d for a name without one
  const dot = name.lastIndexOf('.');
  const stem = dot > 0 ? name.slice(0, dot) : name;
  const usable = stem !== '' && stem !== '.' && stem !== '..';
  return { stem: usable ? stem : 'entry', folder: (usable ? stem : 'entry') + (dot > 0 ? '' : '.d') };
}

function showTexts() {
  const w = words();
  document.documentElement.lang = page.language;
  for (const element of document.querySelectorAll('[data-text]')) {
    const text = w[element.dataset.text];
    element.textContent = typeof text === 'function' ? text(element.dataset.n) : text;
  }
  for (const element of document.querySelectorAll('[data-help]')) {
    const help = w[element.dataset.help];
    element.title = help;
    element.setAttribute('aria-description', help);
  }
  $('language').setAttribute('lang', page.language === 'ko' ? 'en' : 'ko');
  for (const n of [1, 2, 3]) $(`color${n}`).setAttribute('aria-label', w.color(n));
  $('picture').setAttribute('aria-label', w.picture);
  if (page.file) $('file-name').textContent = page.file.name;
  showMessage(page.message);
  showStatus(page.status);
}

function showMessage(text) {
  page.message = text;
  $('message').hidden = !text;
  $('message').textContent = text ? text() : '';
}

function showStatus(text) {
  page.status = text;
  $('status').textContent = text ? text() : '';
}

function options() {
  return {
    userColor: $('user-color').checked,
    dropFirst: $('drop-first').checked,
    color1: $('color1').value,
    color2: $('color2').value,
    color3: $('color3').value,
  };
}

// Each file chosen or dropped is counted once its load has ended, loaded
// or refused (body[data-opened], what automation waits for).
async function openFile(file) {
  if (!file) return;
  await loadFile(file);
  document.body.dataset.opened = Number(document.body.dataset.opened || 0) + 1;
}

async function loadFile(file) {
  const name = file.name;
  if (file.size > kMaxFileBytes) {
    showMessage(() => words().overLimit(name, '1 GiB'));
    return;
  }
  let data;
  try {
    data = new Uint8Array(await file.arrayBuffer());
  } catch (e) {
    showMessage(() => words().cannotRead(name, e.message));
    return;
  }
  const opened = page.core.open(data);
  if (opened.error) {
    // the file, list and picture loaded before stay; a trap emptied the core
    if (opened.error.code === WebError.OutOfMemory) reopenAfterTrap();
    showMessage(() => errorText(words(), opened.error, name));
    return;
  }
  showMessage(null);
  page.file = file;
  page.rows = opened.rows;
  $('file-name').textContent = name;
  listEntries();
  for (const id of ['save-png', 'export-all', 'show-gallery']) $(id).disabled = false;
  select(0);
  refreshGallery();
}

// After a trap the module is empty: the file shown is loaded into it again.
async function reopenAfterTrap() {
  if (!page.file) return;
  page.core.open(new Uint8Array(await page.file.arrayBuffer()));
  page.core.setOptions(options());
}

function listEntries() {
  const list = $('entries');
  list.replaceChildren(
    ...page.rows.map((text, row) => {
      const item = document.createElement('div');
      item.dataset.row = row;
      item.id = `entry-${row}`;
      item.setAttribute('role', 'option');
      item.setAttribute('aria-selected', 'false');
      item.textContent = text;
      return item;
    }),
  );
}

function select(row) {
  if (row < 0 || row >= page.rows.length) return;
  const list = $('entries');
  for (const item of list.querySelectorAll('[aria-selected="true"]')) item.setAttribute('aria-selected', 'false');
  const item = list.children[row];
  item.setAttribute('aria-selected', 'true');
  list.setAttribute('aria-activedescendant', item.id);
  item.scrollIntoView({ block: 'nearest' });
  for (const figure of $('gallery').children)
    figure.setAttribute('aria-selected', String(Number(figure.dataset.row) === row));
  page.row = row;
  draw();
}

// Draws the selected row into canvas#picture, which then holds exactly the
// export picture; what "초기화" keeps of the earlier pictures lies in the
// canvas behind it.
function draw() {
  if (page.row < 0) return;
  const picture = $('picture');
  const backdrop = $('backdrop');
  const made = page.core.draw(page.row);
  const width = made.error ? 0 : made.width;
  const height = made.error ? 0 : made.height;
  if ($('clear').checked) {
    backdrop.width = width;
    backdrop.height = height;
    const context = backdrop.getContext('2d');
    context.fillStyle = '#fff';
    context.fillRect(0, 0, width, height);
  } else {
    const kept = document.createElement('canvas');
    kept.width = Math.max(backdrop.width, picture.width, width);
    kept.height = Math.max(backdrop.height, picture.height, height);
    const context = kept.getContext('2d');
    context.drawImage(backdrop, 0, 0);
    context.drawImage(picture, 0, 0);
    backdrop.width = kept.width;
    backdrop.height = kept.height;
    backdrop.getContext('2d').drawImage(kept, 0, 0);
  }
  picture.width = width;
  picture.height = height;
  if (made.error) {
    if (made.error.code === WebError.OutOfMemory) reopenAfterTrap();
    showStatus(() => errorText(words(), made.error, page.file.name));
  } else {
    const image = new ImageData(new Uint8ClampedArray(made.bytes.buffer), width, height);
    picture.getContext('2d').putImageData(image, 0, 0);
    showStatus(() => words().size(width, height));
  }
  picture.dataset.row = page.row;
  picture.dataset.drawn = Number(picture.dataset.drawn || 0) + 1;
}

function optionsChanged() {
  page.core.setOptions(options());
  draw();
  refreshGallery();
}

async function savePng() {
  if (page.row < 0) return;
  const rows = page.core.pngRows(page.row);
  if (rows.error) {
    showStatus(() => errorText(words(), rows.error, page.file.name));
    return;
  }
  download(await encodePng(rows), `${stemOf(page.file.name).stem}-${page.row}.png`);
}

async function exportAll() {
  if (!page.file) return;
  const { stem, folder } = stemOf(page.file.name);
  const files = [];
  for (let row = 0; row < page.rows.length; ++row) {
    showStatus(() => words().exporting(row, page.rows.length));
    const rows = page.core.pngRows(row);
    if (rows.error) continue; // as zpk export --all: an entry without a picture has no PNG
    const png = new Uint8Array(await (await encodePng(rows)).arrayBuffer());
    files.push({ name: `${folder}/${String(row).padStart(3, '0')}.png`, data: png });
  }
  let archive;
  try {
    archive = zipFiles(files);
  } catch (e) {
    if (!(e instanceof RangeError)) throw e;
    showStatus(() => words().zipTooLarge);
    return;
  }
  showStatus(() => words().exported(files.length));
  download(archive, `${stem}.zip`);
}

function toggleGallery() {
  const shown = $('gallery').hidden;
  $('gallery').hidden = !shown;
  $('show-gallery').setAttribute('aria-pressed', String(shown));
  refreshGallery();
}

async function refreshGallery() {
  const gallery = $('gallery');
  if (gallery.hidden || !page.file) return;
  const job = ++page.galleryJob;
  gallery.replaceChildren(
    ...page.rows.map((text, row) => {
      const figure = document.createElement('figure');
      figure.dataset.row = row;
      figure.setAttribute('role', 'option');
      figure.setAttribute('aria-selected', String(row === page.row));
      figure.tabIndex = -1;
      const caption = document.createElement('figcaption');
      caption.textContent = `${row}`;
      figure.append(document.createElement('canvas'), caption);
      return figure;
    }),
  );
  const bytes = new Uint8Array(await page.file.arrayBuffer());
  if (job !== page.galleryJob) return;
  page.worker.postMessage({ job, bytes, options: options(), side: kThumbnailSide }, [bytes.buffer]);
}

function thumbnailMade({ data }) {
  if (data.job !== page.galleryJob || data.done) return;
  const figure = $('gallery').children[data.row];
  if (!figure) return;
  const canvas = figure.querySelector('canvas');
  if (data.error) {
    figure.title = errorText(words(), data.error, page.file.name);
    canvas.width = canvas.height = 0;
    return;
  }
  canvas.width = data.width;
  canvas.height = data.height;
  canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(data.bytes.buffer), data.width, data.height), 0, 0);
}

function onKey(event) {
  const typing = event.target instanceof HTMLInputElement && event.target.type === 'text';
  if (event.ctrlKey && !event.altKey) {
    const key = event.key.toLowerCase();
    const action = { o: () => $('file').click(), s: savePng, e: exportAll, g: toggleGallery }[key];
    if (action) {
      event.preventDefault();
      if (key === 'o' || page.file) action();
    }
    return;
  }
  if (typing || page.rows.length === 0) return;
  const step = { ArrowUp: -1, ArrowDown: 1 }[event.key];
  if (step) {
    event.preventDefault();
    select(Math.min(page.rows.length - 1, Math.max(0, page.row + step)));
  }
}

function wire() {
  $('file').addEventListener('change', (e) => {
    const file = e.target.files[0];
    e.target.value = ''; // the same file chosen again is read again
    openFile(file);
  });
  $('entries').addEventListener('click', (e) => {
    const item = e.target.closest('[data-row]');
    if (item) select(Number(item.dataset.row));
  });
  $('gallery').addEventListener('click', (e) => {
    const figure = e.target.closest('[data-row]');
    if (figure) select(Number(figure.dataset.row));
  });
  for (const id of ['drop-first', 'user-color']) $(id).addEventListener('change', optionsChanged);
  $('clear').addEventListener('change', () => page.core.setOptions(options()));
  for (const id of ['color1', 'color2', 'color3']) $(id).addEventListener('input', optionsChanged);
  $('save-png').addEventListener('click', savePng);
  $('export-all').addEventListener('click', exportAll);
  $('show-gallery').addEventListener('click', toggleGallery);
  $('language').addEventListener('click', () => {
    page.language = page.language === 'ko' ? 'en' : 'ko';
    showTexts();
  });
  document.addEventListener('keydown', onKey);
  const zone = document.body;
  zone.addEventListener('dragover', (e) => {
    e.preventDefault();
    $('drop-zone').classList.add('dragging');
  });
  zone.addEventListener('dragleave', () => $('drop-zone').classList.remove('dragging'));
  zone.addEventListener('drop', (e) => {
    e.preventDefault();
    $('drop-zone').classList.remove('dragging');
    openFile(e.dataTransfer.files[0]);
  });
}

async function start() {
  const module = await compileCore();
  page.core = new Core(module);
  page.core.setOptions(options());
  page.worker = new Worker(new URL('gallery.js', import.meta.url), { type: 'module' });
  page.worker.postMessage({ module });
  page.worker.addEventListener('message', thumbnailMade);
  wire();
  showStatus(() => words().drop);
  showTexts();
  document.body.dataset.ready = 'true';
}

start();
