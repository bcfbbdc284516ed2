// SPDX-License-Identifier: MIT
// The tape in the real browser: a pasted list read as you type, files opened
// through "Open files", and the Totals, inputs and errors the page shows
// compared with what the real horodex-tc sum --json gives for the same files.
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { beforeEach, describe, test } from 'node:test';
import { fixture, readTotals, root, sharePage, sumJson, totalsOf } from './support.mjs';

const shared = sharePage();

beforeEach(async () => {
  await shared.page.reload();
  await shared.page.waitForSelector('html[data-ready="true"]');
});

const sample = path.join(root, 'tape/example-reel.edl');

// What the Errors list shows for horodex-tc's errors: FILE:LINE:COLUMN: reason.
const errorLines = (json) => json.errors.map((e) =>
  [path.basename(e.file), e.line > 0 ? e.line : null, e.line > 0 && e.column > 0 ? e.column : null]
    .filter((part) => part !== null).join(':') + `: ${e.why}`);

async function shown() {
  return {
    totals: (await readTotals(shared.page)).rows,
    errors: await shared.page.getByRole('list', { name: 'Errors' }).getByRole('listitem').allTextContents(),
  };
}

test('the Totals table has the columns and first rows the page promises', async () => {
  const { columns, rows } = await readTotals(shared.page);
  assert.deepEqual(columns, ['Timecode', 'Frames', 'Running time']);
  assert.deepEqual(Object.keys(rows), ['Sum', 'Unique', 'Length']);
});

test('a pasted list is read as you type, its bad line listed with line and column', async () => {
  const text = '00:00:10:00\n00:01:00:00\n00:00:1x:00\n01:00:00:00\n';
  await shared.page.getByLabel('List').fill(text);
  const folder = mkdtempSync(path.join(tmpdir(), 'horodex-list-'));
  writeFileSync(path.join(folder, 'List'), text);
  const json = sumJson([path.join(folder, 'List')]);
  const { totals, errors } = await shown();
  assert.deepEqual(totals, totalsOf(json));
  // 10 s + 60 s + 3,600 s at 30 frames a second, the bad line left out.
  assert.deepEqual(totals.Sum, ['01:01:10:00', '110100', '1:01:10.000']);
  assert.deepEqual(errors, errorLines(json));
  assert.match(errors[0], /^List:3:\d+: /);
  // Mend the line: the totals follow the next keystroke.
  await shared.page.getByLabel('List').fill(text.replace('1x', '15'));
  assert.deepEqual((await shown()).totals.Sum, ['01:01:25:00', '110550', '1:01:25.000']);
  assert.deepEqual((await shown()).errors, []);
});

const files = [
  // [what, files, rate chosen or null, hand-worked Sum frames or null]
  ['the sample EDL at its default rate', [sample], null, '5451'],
  ['an FCPXML project at its own 23.976', [fixture('cut.fcpxml')], null, '264'],
  ['an OTIO timeline at its own 24', [fixture('cut.otio')], null, '368'],
  ['an ALE at its own 25', [fixture('day1.ale')], null, '392'],
  ['an EDL with bad lines, each listed', [fixture('broken.edl')], null, null],
  ['all four, at the first file’s own rate', [fixture('cut.otio'), sample, fixture('cut.fcpxml'), fixture('day1.ale')], null, null],
  ['the OTIO at a chosen 25', [fixture('cut.otio')], '25', null],
  ['the FCPXML at a chosen 29.97df', [fixture('cut.fcpxml'), fixture('day1.ale')], '29.97df', null],
];

describe('Open files: the Totals equal horodex-tc sum --json for the same files', () => {
  for (const [what, paths, rate, sumFrames] of files) {
    test(what, async () => {
      if (rate) await shared.page.getByLabel('Timebase').selectOption(rate);
      await shared.page.getByLabel('Open files').setInputFiles(paths);
      const json = sumJson(paths, rate);
      await shared.page.waitForFunction((n) => document.querySelectorAll('#inputs tbody tr').length === n, json.inputs.length);
      const { totals, errors } = await shown();
      assert.deepEqual(totals, totalsOf(json));
      if (sumFrames) assert.equal(totals.Sum[1], sumFrames);
      assert.deepEqual(errors, errorLines(json));
      const inputs = await shared.page.getByRole('table', { name: 'Inputs' }).locator('tbody tr').all();
      for (const [i, input] of json.inputs.entries()) {
        const cells = await inputs[i].getByRole('cell').allTextContents();
        assert.deepEqual(cells.slice(0, 4), [input.format, input.rate || '–', input.length ? input.length.label : '–',
          String(input.errors)]);
      }
      assert.match(await shared.page.locator('#tape-rate').innerText(), new RegExp(`^Counted at ${json.rate.replace('.', '\\.')}\\b`));
    });
  }
});

test('files dropped on the page open as Open files opens them', async () => {
  const ale = readFileSync(fixture('day1.ale'), 'utf8');
  const edl = readFileSync(sample, 'latin1');
  await shared.page.evaluate(([ale, edl]) => {
    const drop = new DataTransfer();
    drop.items.add(new File([ale], 'day1.ale'));
    drop.items.add(new File([edl], 'example-reel.edl'));
    document.querySelector('main').dispatchEvent(new DragEvent('drop', { dataTransfer: drop, bubbles: true }));
  }, [ale, edl]);
  await shared.page.waitForFunction(() => document.querySelectorAll('#inputs tbody tr').length === 2);
  assert.deepEqual((await shown()).totals, totalsOf(sumJson([fixture('day1.ale'), sample])));
});

test('an .fcpxmld bundle dropped as a folder is read through its Info.fcpxml', async () => {
  const folder = path.join(mkdtempSync(path.join(tmpdir(), 'horodex-bundle-')), 'Cut.fcpxmld');
  mkdirSync(folder);
  const info = readFileSync(fixture('cut.fcpxml'), 'utf8');
  writeFileSync(path.join(folder, 'Info.fcpxml'), info);
  // A drop of a folder, as the File and Directory Entries API gives it; a page
  // cannot make a real one.
  await shared.page.evaluate((info) => {
    const file = { isFile: true, isDirectory: false, name: 'Info.fcpxml',
      file: (ok) => ok(new File([info], 'Info.fcpxml')) };
    const bundle = { isFile: false, isDirectory: true, name: 'Cut.fcpxmld',
      createReader: () => ({ readEntries: (ok) => ok([file]) }) };
    const drop = new Event('drop', { bubbles: true, cancelable: true });
    Object.defineProperty(drop, 'dataTransfer', {
      value: { items: [{ kind: 'file', webkitGetAsEntry: () => bundle, getAsFile: () => null }] },
    });
    document.body.dispatchEvent(drop);
  }, info);
  await shared.page.waitForFunction(() => document.querySelectorAll('#inputs tbody tr').length === 1);
  const json = sumJson([folder]);
  assert.equal(json.inputs[0].format, 'fcpxml');
  assert.deepEqual((await shown()).totals, totalsOf(json));
  const cells = await shared.page.getByRole('table', { name: 'Inputs' }).locator('tbody tr').first().getByRole('cell').allTextContents();
  assert.deepEqual(cells.slice(0, 2), ['fcpxml', '23.976']);
});

test('Copy total puts the sum on the clipboard', async () => {
  await shared.page.getByLabel('Open files').setInputFiles([sample]);
  await shared.page.getByRole('button', { name: 'Copy total' }).click();
  assert.equal(await shared.page.evaluate(() => navigator.clipboard.readText()), sumJson([sample]).total.label);
});

test('Close takes a file out of the totals, and a file opened twice is named apart', async () => {
  await shared.page.getByLabel('Open files').setInputFiles([fixture('day1.ale')]);
  await shared.page.getByLabel('Open files').setInputFiles([fixture('day1.ale'), fixture('cut.otio')]);
  const heads = shared.page.getByRole('table', { name: 'Inputs' }).getByRole('rowheader');
  await shared.page.waitForFunction(() => document.querySelectorAll('#inputs tbody tr').length === 3);
  assert.deepEqual((await heads.allTextContents()).map((h) => h.split(' “')[0]), ['day1.ale', 'day1.ale (2)', 'cut.otio']);
  const three = sumJson([fixture('day1.ale'), fixture('day1.ale'), fixture('cut.otio')]);
  assert.deepEqual((await shown()).totals, totalsOf(three));
  await shared.page.getByRole('button', { name: 'Close day1.ale (2)' }).click();
  assert.deepEqual((await shown()).totals, totalsOf(sumJson([fixture('day1.ale'), fixture('cut.otio')])));
});
