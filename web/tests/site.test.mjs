// SPDX-License-Identifier: MIT
// The site as a whole: it works offline once loaded, nothing leaves
// 127.0.0.1, the tape is usable by keyboard alone, it fits a 360 px screen,
// and the README's screenshot is taken from it.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { fixture, grantClipboard, launch, openPage, readTotals, root, startServer, sumJson, totalsOf } from './support.mjs';

const sample = path.join(root, 'tape/example-reel.edl');

async function withPage(fn, options) {
  const server = await startServer();
  const context = await launch(options);
  try {
    await fn({ server, context, page: await openPage(context, server.url) });
  } finally {
    await context.close();
    await server.close();
  }
}

// Waits until the service worker controls the page, i.e. the site is kept.
async function installed(page) {
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
}

test('reload while offline, after the first load, and the page still computes', async () => {
  await withPage(async ({ server, context, page }) => {
    await installed(page);
    await server.close(); // no server at all, and the browser offline
    await context.setOffline(true);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    await page.getByLabel('Timebase').selectOption('29.97df');
    await page.getByLabel('Expression').fill('01:00:00;00 - 00:10:00;00');
    assert.match(await page.getByRole('status', { name: 'Result' }).innerText(), /00:50:00;00\s+89910/);
    await page.getByLabel('Open files').setInputFiles([sample]);
    assert.deepEqual((await readTotals(page)).rows, totalsOf(sumJson([sample], '29.97df')));
  });
});

test('installable: the manifest reads and Chromium finds nothing missing to install it', async () => {
  await withPage(async ({ context, page }) => {
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await context.newCDPSession(page);
    const manifest = await cdp.send('Page.getAppManifest');
    assert.deepEqual(manifest.errors, []);
    assert.equal(JSON.parse(manifest.data).name, 'Horodex');
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
  });
});

test('no request leaves 127.0.0.1, and none at all is made after load', async () => {
  const requests = [];
  await withPage(async ({ context, page }) => {
    await installed(page);
    context.on('request', (request) => requests.push(request.url()));
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    const atLoad = requests.length;
    await page.getByLabel('Expression').fill('1h30m + 12');
    await page.getByLabel('List').fill('00:00:10:00\n00:00:20:00\n');
    await page.getByLabel('Open files').setInputFiles([sample, fixture('cut.fcpxml'), fixture('cut.otio'), fixture('day1.ale')]);
    await page.waitForFunction(() => document.querySelectorAll('#inputs tbody tr').length === 5);
    await page.getByRole('button', { name: 'Copy total' }).click();
    await page.waitForTimeout(300);
    assert.deepEqual(requests.slice(atLoad), []);
  });
  assert.ok(requests.length > 0, 'the load itself was seen');
  for (const url of requests) assert.equal(new URL(url).hostname, '127.0.0.1', url);
});

test('the tape by keyboard alone: List, Open files, Close, Copy total', async () => {
  await withPage(async ({ context, page, server }) => {
    await grantClipboard(context, server.url);
    // Listening early lets Playwright take over the file dialog before a key opens it.
    const chooser = page.waitForEvent('filechooser');
    await page.getByLabel('Expression').focus();
    await page.keyboard.press('Tab'); // Copy
    await page.keyboard.press('Tab'); // List
    assert.equal(await page.evaluate(() => document.activeElement.id), 'list');
    await page.keyboard.type('00:00:10:00\n00:00:02:15\n');
    assert.equal((await readTotals(page)).rows.Sum[0], '00:00:12:15');
    await page.keyboard.press('Tab'); // Open files
    assert.equal(await page.evaluate(() => document.activeElement.id), 'files');
    await page.keyboard.press('Space');
    await (await chooser).setFiles([fixture('day1.ale')]);
    await page.waitForFunction(() => document.querySelectorAll('#inputs tbody tr').length === 2);
    await page.keyboard.press('Tab'); // Close day1.ale
    assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), 'Close day1.ale');
    await page.keyboard.press('Tab'); // Copy total
    await page.keyboard.press('Enter');
    // 10 s + 2 s 15 f at 30 is 375 frames; the ALE's 15.68 s (392 frames at 25) are 470 more at 30.
    await page.waitForFunction(async () => (await navigator.clipboard.readText()) !== '');
    const total = await page.evaluate(() => navigator.clipboard.readText());
    assert.equal(total, (await readTotals(page)).rows.Sum[0]);
    assert.equal((await readTotals(page)).rows.Sum[1], String(375 + 470));
    await page.getByRole('button', { name: 'Close day1.ale' }).focus();
    await page.keyboard.press('Enter');
    assert.equal((await readTotals(page)).rows.Sum[1], '375');
  });
});

test('readable at 360 px: nothing wider than the screen', async () => {
  await withPage(async ({ page }) => {
    await page.getByLabel('Open files').setInputFiles([sample, fixture('cut.fcpxml')]);
    await page.getByLabel('Expression').fill('01:00:00:00 - 00:10:00:00');
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    assert.ok(overflow <= 0, `the page is ${overflow} px wider than the screen`);
  }, { viewport: { width: 360, height: 740 } });
});

test('the screenshot for the README', async () => {
  await withPage(async ({ page }) => {
    await page.getByLabel('Timebase').selectOption('29.97df');
    await page.getByLabel('Expression').fill('(01:00:00;00 - 00:10:00;00) * 1.5 + 00:00:10;12');
    await page.getByLabel('List').fill('00:02:00;02\n00:00:1x;00\n');
    await page.getByLabel('Open files').setInputFiles([sample, fixture('cut.fcpxml')]);
    mkdirSync(path.join(root, 'build-web'), { recursive: true });
    await page.screenshot({ path: path.join(root, 'build-web/web.png'), fullPage: true });
  }, { viewport: { width: 1200, height: 900 } });
});
