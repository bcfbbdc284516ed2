// SPDX-License-Identifier: MIT
// The calculator in the real browser: expressions as horodex-tc calc takes them,
// faults with their column, Copy through the real clipboard, and the keyboard
// alone. Expected figures are worked by hand: at 29.97 drop frame 00:10:00;00
// is frame 17,982 and 01:00:00;00 frame 107,892; at 59.94 drop frame twice
// those; running time is frames × 1001/30000 s (1001/60000 s at 59.94).
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { sharePage } from './support.mjs';

const shared = sharePage();

async function evaluate(rate, expression) {
  await shared.page.getByLabel('Timebase').selectOption(rate);
  await shared.page.getByLabel('Expression').fill(expression);
  return {
    result: (await shared.page.getByRole('status', { name: 'Result' }).innerText()).split(/\s+/).filter(Boolean),
    fault: await shared.page.locator('#expression-fault').innerText(),
  };
}

const results = [
  // [what, rate, expression, label, frames, running time]
  ['an hour less ten minutes at 29.97 drop frame', '29.97df', '01:00:00;00 - 00:10:00;00', '00:50:00;00', '89910', '0:49:59.997'],
  ['one frame onto the last label before a ten-minute mark', '29.97df', '00:09:59;29 + 1', '00:10:00;00', '17982', '0:09:59.999'],
  ['scaled by 1.5, then ten seconds twelve frames on', '29.97df', '(01:00:00;00 - 00:10:00;00) * 1.5 + 00:00:10;12', '01:15:10;13', '135177', '1:15:10.406'],
  ['the first label of minute one skips four at 59.94 drop frame', '59.94df', '00:00:59;59 + 1', '00:01:00;04', '3600', '0:01:00.060'],
  ['an hour less ten minutes at 59.94 drop frame', '59.94df', '01:00:00;00 - 00:10:00;00', '00:50:00;00', '179820', '0:49:59.997'],
  ['units and a lone count at 30', '30', '1h30m + 12', '01:30:00:12', '162012', '1:30:00.400'],
  ['a negative result at 25', '25', '00:00:01:00 - 00:00:02:05', '-00:00:01:05', '-30', '-0:00:01.200'],
];

describe('Expression gives label, frames and running time as you type', () => {
  for (const [what, rate, expression, label, frames, realtime] of results) {
    test(what, async () => {
      const { result, fault } = await evaluate(rate, expression);
      assert.deepEqual(result, [label, frames, 'frames', realtime]);
      assert.equal(fault, '');
    });
  }
});

const faults = [
  // [what, rate, expression, message under the field]
  ['a label drop frame skips, at its column', '29.97df', '00:00:10;00 + 00:02:00;01', 'column 15: 00:02:00;01 does not exist at 29.97df'],
  ['a skipped label first', '29.97df', '00:01:00;00 + 1', 'column 1: 00:01:00;00 does not exist at 29.97df'],
  ['a label skipped at 59.94 but not at 29.97', '59.94df', '00:00:10;00 - 00:01:00;03', 'column 15: 00:01:00;03 does not exist at 59.94df'],
  ['a stray letter', '25', '00:00:10:00 + 3x', "column 16: unexpected 'x'"],
  ['a number with nothing to scale', '25', '* 1.5', "column 1: unexpected '*'"],
];

describe('a fault is shown under Expression with its column, as horodex-tc words it', () => {
  for (const [what, rate, expression, message] of faults) {
    test(what, async () => {
      await shared.page.reload();
      await shared.page.waitForSelector('html[data-ready="true"]');
      const { fault } = await evaluate(rate, expression);
      assert.equal(fault, message);
      assert.equal(await shared.page.getByLabel('Expression').getAttribute('aria-invalid'), 'true');
    });
  }
});

test('Return keeps the result, and a leading * continues from it', async () => {
  await evaluate('29.97df', '00:10:00;00');
  await shared.page.getByLabel('Expression').press('Enter');
  await shared.page.keyboard.type('* 1.5'); // replaces the text Return selected
  const result = shared.page.getByRole('status', { name: 'Result' });
  assert.deepEqual((await result.innerText()).split(/\s+/).slice(0, 2), ['00:14:59;29', '26973']);
  await shared.page.keyboard.type(' +');
  // The column counts in what was typed, not in the result it continues from.
  assert.match(await shared.page.locator('#expression-fault').innerText(), /^column 8: unexpected end of expression$/);
});

test('Copy puts HH:MM:SS.FF on the clipboard', async () => {
  await evaluate('29.97df', '01:00:00;00 - 00:10:00;00');
  await shared.page.getByRole('button', { name: 'Copy', exact: true }).click();
  assert.equal(await shared.page.evaluate(() => navigator.clipboard.readText()), '00:50:00.00');
});

test('the keyboard alone reaches every control of the calculator', async () => {
  await shared.page.reload();
  await shared.page.waitForSelector('html[data-ready="true"]');
  await shared.page.evaluate(() => navigator.clipboard.writeText(''));
  await shared.page.keyboard.press('Tab'); // Timebase
  assert.equal(await shared.page.evaluate(() => document.activeElement.id), 'timebase');
  // Arrow keys step through the timebases to 29.97df.
  const values = await shared.page.locator('#timebase option').evaluateAll((options) => options.map((o) => o.value));
  const steps = values.indexOf('29.97df') - values.indexOf(await shared.page.getByLabel('Timebase').inputValue());
  for (let i = 0; i < Math.abs(steps); ++i) await shared.page.keyboard.press(steps > 0 ? 'ArrowDown' : 'ArrowUp');
  assert.equal(await shared.page.getByLabel('Timebase').inputValue(), '29.97df');
  await shared.page.keyboard.press('Tab');
  await shared.page.keyboard.type('00:09:59;29 + 1');
  assert.match(await shared.page.getByRole('status', { name: 'Result' }).innerText(), /00:10:00;00/);
  await shared.page.keyboard.press('Tab'); // Copy
  await shared.page.keyboard.press('Enter');
  await shared.page.waitForFunction(async () => (await navigator.clipboard.readText()) !== '');
  assert.equal(await shared.page.evaluate(() => navigator.clipboard.readText()), '00:10:00.00');
  await shared.page.keyboard.press('Tab');
  assert.equal(await shared.page.evaluate(() => document.activeElement.id), 'list');
});
