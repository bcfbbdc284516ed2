// SPDX-License-Identifier: MIT
// What every browser test shares: the built site served on 127.0.0.1, Debian's
// Chromium driven by Playwright, and the real horodex-tc for the figures the
// page must equal.
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before } from 'node:test';
import { chromium } from 'playwright-core';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const site = process.env.HORODEX_WEB_SITE || path.join(root, 'build-web/site');
export const horodexTc = process.env.HORODEX_TC || path.join(root, 'build/cli/horodex-tc');
export const fixture = (name) => path.join(root, 'web/tests/files', name);

// The site on a free port; close() stops it.
export async function startServer() {
  const child = spawn('python3', [path.join(root, 'web/serve.py'), site, '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve, reject) => {
    child.stdout.once('data', (data) => resolve(String(data).trim()));
    child.once('exit', (code) => reject(new Error(`server exited with ${code}`)));
  });
  return {
    url,
    close: () => new Promise((resolve) => {
      if (child.exitCode !== null || child.signalCode !== null) return resolve();
      child.once('exit', resolve);
      child.kill();
    }),
  };
}

// Debian's Chromium with a profile of its own, new and empty, removed on close.
export async function launch(options = {}) {
  const profile = mkdtempSync(path.join(tmpdir(), 'horodex-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 1100, height: 900 },
    ...options,
  });
  const close = context.close.bind(context);
  context.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return context;
}

export const grantClipboard = (context, url) =>
  context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: new URL(url).origin });

// One server, browser and page for all the tests of a file, the clipboard granted:
// shared.page once the file's tests start.
export function sharePage() {
  const shared = {};
  before(async () => {
    shared.server = await startServer();
    shared.context = await launch();
    await grantClipboard(shared.context, shared.server.url);
    shared.page = await openPage(shared.context, shared.server.url);
  });
  after(async () => {
    await shared.context?.close();
    await shared.server?.close();
  });
  return shared;
}

// A page of the site, once the library has loaded and the controls are live.
export async function openPage(context, url) {
  const page = context.pages()[0] || await context.newPage();
  await page.goto(url);
  await page.waitForSelector('html[data-ready="true"]');
  return page;
}

// horodex-tc sum --json over the files, as the command line gives it.
export function sumJson(files, rate) {
  const args = [...(rate ? ['-r', rate] : []), '--json', 'sum', ...files];
  let out;
  try {
    out = execFileSync(horodexTc, args, { cwd: path.dirname(files[0]), env: { ...process.env, HORODEX_RATE: '' }, stdio: ['ignore', 'pipe', 'ignore'] });
  } catch (error) {
    out = error.stdout; // exit status 1: some input had errors, the JSON is still whole
  }
  return JSON.parse(String(out));
}

// The Totals table as { row: [timecode, frames, running time] }.
export async function readTotals(page) {
  const table = page.getByRole('table', { name: 'Totals' });
  const columns = await table.getByRole('columnheader').allTextContents();
  const rows = {};
  for (const row of await table.locator('tbody tr').all()) {
    const name = await row.getByRole('rowheader').textContent();
    rows[name] = await row.getByRole('cell').allTextContents();
  }
  return { columns, rows };
}

// What the Totals must show for horodex-tc's JSON.
export function totalsOf(json) {
  const forms = (d) => (d ? [d.label, String(d.frames), d.realtime] : ['–', '–', '–']);
  const rows = { Sum: forms(json.total), Unique: forms(json.unique), Length: forms(json.length) };
  for (const [track, figures] of Object.entries(json.tracks)) rows[track] = forms(figures.total);
  return rows;
}
