// SPDX-License-Identifier: MIT
// The page: it wires the controls to the library in WebAssembly and shows what
// the library returns. Every figure comes from there; this file handles only
// the page, the files and the clipboard.
import createHorodex from './horodex.js';

const $ = (id) => document.getElementById(id);
const LIST_NAME = 'List';
const FOLDER = '/in';
const ERRORS_SHOWN = 500;

// Frame counts stay the library's own digits, exact past 2^53.
const parseExact = (text) => JSON.parse(text, (key, value, context) =>
  (key === 'frames' && context && context.source !== undefined ? context.source : value));

const state = {
  hx: null,
  rateChosen: false,
  result: null, // the calculator's last result
  committed: null, // the result a leading * or / continues from (Return keeps it)
  files: [], // names of the opened inputs, in the in-memory folder
  bytes: 0, // their size, which decides whether typing re-reads at once
  sum: null,
  pending: 0, // the timer of a re-read put off while typing
};

// Past this much opened, typing in List re-reads after a pause instead of at every key.
const LARGE = 2 << 20;
const PAUSE_MS = 150;

function createDom(tag, text, attributes = {}) {
  const element = document.createElement(tag);
  if (text !== undefined) element.textContent = text;
  for (const [name, value] of Object.entries(attributes)) element.setAttribute(name, value);
  return element;
}

// Calculator

function calculate() {
  const text = $('expression').value;
  const fault = $('expression-fault');
  const result = $('result');
  if (text.trim() === '') {
    state.result = null;
    fault.textContent = '';
    $('expression').removeAttribute('aria-invalid');
    result.replaceChildren();
    return;
  }
  // "* 1.5" continues from the result kept by Return, as a calculator's tape does.
  const continues = /^\s*[*/]/.test(text) && state.committed;
  const prefix = continues ? `(${state.committed.label}) ` : '';
  const answer = parseExact(state.hx.ccall('horodex_calc', 'string', ['string', 'string'],
    [$('timebase').value, prefix + text]));
  if (answer.error !== undefined) {
    const column = answer.column - [...prefix].length;
    fault.textContent = column > 0 ? `column ${column}: ${answer.error}` : answer.error;
    $('expression').setAttribute('aria-invalid', 'true');
    result.classList.add('stale');
    state.result = null;
    return;
  }
  state.result = answer;
  fault.textContent = '';
  $('expression').removeAttribute('aria-invalid');
  result.classList.remove('stale');
  result.replaceChildren(
    createDom('span', answer.label, { class: 'label' }),
    createDom('span', `${answer.frames} frames`, { class: 'frames' }),
    createDom('span', answer.realtime, { class: 'realtime' }),
  );
}

async function copy(text, button) {
  if (text === undefined) return;
  await navigator.clipboard.writeText(text);
  button.dataset.done = 'true';
  setTimeout(() => delete button.dataset.done, 1200);
}

// Tape

function folderPath(name) {
  return `${FOLDER}/${name}`;
}

// A name no other input has, so that errors name each file apart.
function uniqueName(name) {
  const taken = new Set([LIST_NAME, '-', ...state.files]);
  let candidate = name, n = 2;
  while (taken.has(candidate)) candidate = `${name} (${n++})`;
  return candidate;
}

function addFile(name, bytes) {
  const unique = uniqueName(name);
  state.hx.FS.writeFile(folderPath(unique), bytes, { canOwn: true });
  state.files.push(unique);
  state.bytes += bytes.length;
}

// An FCPXML bundle is a folder; sum reads its Info.fcpxml, so that is all it needs.
async function addBundle(name, entries) {
  const unique = uniqueName(name);
  state.hx.FS.mkdir(folderPath(unique));
  const info = entries.find((entry) => entry.isFile && entry.name === 'Info.fcpxml');
  if (info) {
    const file = await new Promise((resolve, reject) => info.file(resolve, reject));
    state.hx.FS.writeFile(`${folderPath(unique)}/Info.fcpxml`, new Uint8Array(await file.arrayBuffer()),
      { canOwn: true });
  }
  state.files.push(unique);
}

function removeInput(name) {
  const path = folderPath(name);
  const { FS } = state.hx;
  if (FS.isDir(FS.stat(path).mode)) {
    for (const child of FS.readdir(path)) if (child !== '.' && child !== '..') FS.unlink(`${path}/${child}`);
    FS.rmdir(path);
  } else {
    state.bytes -= FS.stat(path).size;
    FS.unlink(path);
  }
  state.files = state.files.filter((file) => file !== name);
}

async function openFiles(files) {
  const start = performance.now();
  for (const file of files) addFile(file.name, new Uint8Array(await file.arrayBuffer()));
  total();
  performance.clearMeasures('horodex-open'); // one of each, for bench/web-bench.mjs
  performance.measure('horodex-open', { start });
}

async function dropItems(items) {
  // Everything is taken from the drop before the first await, which ends access to it.
  const dropped = [...items].filter((item) => item.kind === 'file')
    .map((item) => ({ entry: item.webkitGetAsEntry && item.webkitGetAsEntry(), file: item.getAsFile() }));
  for (const { entry, file } of dropped) {
    if (entry && entry.isDirectory) {
      const children = await new Promise((resolve, reject) => entry.createReader().readEntries(resolve, reject));
      await addBundle(entry.name, children);
    } else if (file) {
      addFile(file.name, new Uint8Array(await file.arrayBuffer()));
    }
  }
  total();
}

// Reads the pasted list and every opened file, as horodex-tc sum reads them.
function total() {
  const { FS } = state.hx;
  const listText = $('list').value;
  const names = [];
  if (listText.trim() !== '') {
    FS.writeFile(folderPath(LIST_NAME), listText);
    names.push(LIST_NAME);
  }
  names.push(...state.files);
  const start = performance.now();
  try {
    state.sum = names.length === 0 ? null : parseExact(state.hx.ccall('horodex_sum', 'string',
      ['string', 'number', 'string'], [$('timebase').value, state.rateChosen ? 1 : 0, names.join('/')]));
  } catch (error) {
    // Only running out of memory gets here, and it leaves the library unusable.
    showSum(null);
    $('errors').replaceChildren(createDom('li', `The files are too large for this browser (${error}); reload the page.`));
    return;
  }
  performance.clearMeasures('horodex-sum');
  performance.measure('horodex-sum', { start });
  showSum(state.sum);
}

function durationCells(row, duration) {
  for (const field of ['label', 'frames', 'realtime']) row.append(createDom('td', duration ? duration[field] : '–'));
}

// Why the tape counts at its rate, when the Timebase was not chosen.
function rateSource(sum) {
  if (state.rateChosen) return '';
  const first = sum.inputs[0];
  if (first && first.rate === sum.rate) return `, the own rate of ${first.file}`;
  return ' (choose a Timebase to count at another)';
}

function showSum(sum) {
  const totals = $('totals').tBodies[0];
  const rows = [['Sum', sum && sum.total], ['Unique', sum && sum.unique], ['Length', sum && sum.length]];
  for (const [track, figures] of Object.entries((sum && sum.tracks) || {})) rows.push([track, figures.total]);
  totals.replaceChildren(...rows.map(([name, duration]) => {
    const row = createDom('tr');
    row.append(createDom('th', name, { scope: 'row' }));
    durationCells(row, duration);
    return row;
  }));

  $('tape-rate').textContent = sum ? `Counted at ${sum.rate}${rateSource(sum)}; ${sum.entries} entries.` : '';

  const inputs = $('inputs').tBodies[0];
  inputs.replaceChildren(...((sum && sum.inputs) || []).map((input) => {
    const row = createDom('tr');
    const name = input.name !== null && input.name !== input.file ? `${input.file} “${input.name}”` : input.file;
    row.append(createDom('th', name, { scope: 'row' }), createDom('td', input.format || 'not read'),
      createDom('td', input.rate || '–'), createDom('td', input.length ? input.length.label : '–'),
      createDom('td', String(input.errors)));
    const cell = createDom('td');
    if (input.file !== LIST_NAME && state.files.includes(input.file)) {
      const close = createDom('button', 'Close', { type: 'button', 'aria-label': `Close ${input.file}` });
      close.addEventListener('click', () => { removeInput(input.file); total(); $('files').focus(); });
      cell.append(close);
    }
    row.append(cell);
    return row;
  }));

  const errors = (sum && sum.errors) || [];
  const shown = errors.slice(0, ERRORS_SHOWN).map((e) => {
    const where = [e.file, e.line > 0 ? e.line : null, e.line > 0 && e.column > 0 ? e.column : null]
      .filter((part) => part !== null).join(':');
    return createDom('li', `${where}: ${e.why}`);
  });
  if (errors.length > ERRORS_SHOWN) shown.push(createDom('li', `and ${errors.length - ERRORS_SHOWN} more`));
  $('errors').replaceChildren(...shown);
}

// Start

function fillTimebases() {
  const select = $('timebase');
  for (const name of JSON.parse(state.hx.ccall('horodex_rates', 'string', [], []))) {
    select.append(createDom('option', name, { value: name }));
  }
  select.value = '30'; // horodex-tc's rate when none is given
}

function wire() {
  $('expression').addEventListener('input', () => calculate());
  $('expression').addEventListener('keydown', (event) => {
    // Return keeps the result for a following "* 1.5" and selects the text, so typing replaces it.
    if (event.key === 'Enter' && state.result) {
      state.committed = state.result;
      $('expression').select();
    }
  });
  $('timebase').addEventListener('change', () => {
    state.rateChosen = true;
    state.committed = null; // its label belongs to the rate it was counted at
    calculate();
    total();
  });
  $('copy').addEventListener('click', (event) => copy(state.result && state.result.copy, event.currentTarget));
  $('copy-total').addEventListener('click', (event) => copy(state.sum && state.sum.total.label, event.currentTarget));
  $('list').addEventListener('input', () => {
    clearTimeout(state.pending);
    if (state.bytes > LARGE) state.pending = setTimeout(total, PAUSE_MS);
    else total();
  });
  $('files').addEventListener('change', async (event) => {
    await openFiles([...event.target.files]);
    event.target.value = '';
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    dropItems(event.dataTransfer.items);
  });
}

async function start() {
  state.hx = await createHorodex({ print() {}, printErr() {} });
  state.hx.FS.mkdir(FOLDER);
  state.hx.FS.chdir(FOLDER);
  fillTimebases();
  wire();
  calculate();
  total();
  document.querySelector('main').removeAttribute('aria-busy');
  document.documentElement.dataset.ready = 'true';
  performance.mark('horodex-ready');
  if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js');
}

start();
