// SPDX-License-Identifier: MIT
// The page's figures in headless Chromium (Debian's), against the built site on
// 127.0.0.1: first load to a usable page, the site's size, a keystroke in
// Expression, a 100,000-clip FCPXML totalled, and the page's sum of a 57 MB EDL
// beside native horodex-tc sum. Run by bench/web.sh; medians of a few runs.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { horodexTc, launch, openPage, site, startServer } from '../web/tests/support.mjs';

const RUNS = 5;
const EDL_EVENTS = 740000; // 57 MB
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (value) => `${value.toFixed(1)} ms`;
const folder = mkdtempSync(path.join(tmpdir(), 'horodex-web-bench-'));

// 25 fps labels for the generated EDL, as bench_cli writes them.
const label = (frames) => {
  const s = Math.floor(frames / 25);
  const two = (n) => String(n).padStart(2, '0');
  return `${two(Math.floor(s / 3600))}:${two(Math.floor(s / 60) % 60)}:${two(s % 60)}:${two(frames % 25)}`;
};

// Cuts of 10 to 500 frames on a record timeline that restarts at 01:00:00:00
// before it would pass a day: bench_cli's EDL.
function edl(events) {
  const lines = ['TITLE: Bench', 'FCM: NON-DROP FRAME'];
  let record = 90000;
  for (let i = 0; i < events; ++i) {
    const length = 10 + (i * 7919) % 491;
    const source = (i * 104729) % 80000;
    if (record + length >= 24 * 90000) record = 90000;
    const times = [source, source + length, record, record + length].map(label).join(' ');
    lines.push(`${String(i + 1).padStart(6, '0')}  REEL${String(i % 200).padStart(3, '0')}  V  C        ${times}`);
    record += length;
  }
  return lines.join('\n') + '\n';
}

// Clips of 1 to 200 frames at 23.976 from 01:00:00:00, a title on every tenth
// and a gap after every hundredth: bench_timeline's FCPXML.
function fcpxml(clips) {
  const parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE fcpxml>\n<fcpxml version="1.10">\n'
    + '<resources>\n<format id="r1" name="FFVideoFormat1080p2398" frameDuration="1001/24000s" '
    + 'width="1920" height="1080"/>\n<asset id="r2" name="A001C001" start="0s" '
    + 'duration="3600s" hasVideo="1" hasAudio="1" format="r1"/>\n</resources>\n'
    + '<library>\n<event name="Bench">\n<project name="Bench">\n<sequence format="r1" '
    + 'tcStart="86486400/24000s" tcFormat="NDF">\n<spine>\n'];
  let at = 86400;
  for (let i = 0; i < clips; ++i) {
    const length = 1 + i % 200;
    parts.push(`<asset-clip ref="r2" offset="${at * 1001}/24000s" name="Clip ${i}" start="${i % 1000 * 1001}/24000s" `
      + `duration="${length * 1001}/24000s" format="r1" tcFormat="NDF" audioRole="dialogue">`);
    if (i % 10 === 0) {
      parts.push(`\n<title ref="r2" lane="1" offset="${i % 1000 * 1001}/24000s" name="Title ${i}" duration="1001/24000s"/>\n`);
    }
    parts.push('</asset-clip>\n');
    at += length;
    if (i % 100 === 99) {
      parts.push(`<gap offset="${at * 1001}/24000s" duration="24024/24000s"/>\n`);
      at += 24;
    }
  }
  parts.push('</spine>\n</sequence>\n</project>\n</event>\n</library>\n</fcpxml>\n');
  return parts.join('');
}

// Opens files in the page and gives the page's own time from the change of
// "Open files" to the totals shown, and that of the sum alone.
async function openTimed(page, file, rate) {
  await page.reload();
  await page.waitForSelector('html[data-ready="true"]');
  if (rate) await page.getByLabel('Timebase').selectOption(rate);
  await page.getByLabel('Open files').setInputFiles([file]);
  await page.waitForFunction(() => performance.getEntriesByName('horodex-open').length > 0, null, { timeout: 60000 });
  return page.evaluate(() => ({
    open: performance.getEntriesByName('horodex-open')[0].duration,
    sum: performance.getEntriesByName('horodex-sum')[0].duration,
    total: document.querySelector('#totals tbody td').textContent,
  }));
}

function nativeSum(file, rate) {
  const times = [];
  let total;
  for (let i = 0; i < RUNS; ++i) {
    const start = process.hrtime.bigint();
    const out = execFileSync(horodexTc, ['-r', rate, '--json', 'sum', file], { maxBuffer: 1 << 30 });
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
    total = JSON.parse(out).total.label;
  }
  return { time: median(times), total };
}

const rows = [];
const server = await startServer();
try {
  // First load, each time with a new profile: nothing cached, no service worker yet.
  const loads = [];
  for (let i = 0; i < RUNS; ++i) {
    const context = await launch();
    const page = await openPage(context, server.url);
    loads.push(await page.evaluate(() => performance.getEntriesByName('horodex-ready')[0].startTime));
    await context.close();
  }
  rows.push(['First load to a usable page (new profile, 127.0.0.1)', ms(median(loads)), '< 1 s']);

  const bytes = readdirSync(site).reduce((sum, name) => sum + statSync(path.join(site, name)).size, 0);
  rows.push(['The whole site', `${(bytes / 1024).toFixed(0)} KiB (${bytes} bytes)`, '< 1.5 MB']);

  const context = await launch();
  const page = await openPage(context, server.url);

  // A keystroke: the input event to the result in the page, then to the next painted frame.
  await page.getByLabel('Timebase').selectOption('29.97df');
  const keys = await page.evaluate(async () => {
    const field = document.getElementById('expression');
    const text = '(01:00:00;00 - 00:10:00;00) * 1.5 + 00:00:10;12';
    const toResult = [];
    for (let round = 0; round < 4; ++round) {
      field.value = '';
      for (const c of text) {
        const start = performance.now();
        field.value += c;
        field.dispatchEvent(new Event('input'));
        toResult.push(performance.now() - start);
        await new Promise(requestAnimationFrame); // let it paint, as typing would
      }
    }
    const sorted = (v) => [...v].sort((a, b) => a - b);
    const pick = (v, q) => sorted(v)[Math.floor(q * (v.length - 1))];
    return { median: pick(toResult, 0.5), p99: pick(toResult, 0.99) };
  });
  rows.push(['A keystroke in Expression to its result (median, 99th percentile)', `${ms(keys.median)}, ${ms(keys.p99)}`, '< 16 ms']);

  const fcp = path.join(folder, 'bench.fcpxml');
  writeFileSync(fcp, fcpxml(100000));
  const fcpRuns = [];
  for (let i = 0; i < RUNS; ++i) fcpRuns.push(await openTimed(page, fcp));
  const fcpSize = (statSync(fcp).size / 1e6).toFixed(1);
  rows.push([`100,000-clip FCPXML (${fcpSize} MB): Open files to totals shown`, ms(median(fcpRuns.map((r) => r.open))), '< 1 s']);
  rows.push(['its sum alone (read and totalled in WebAssembly)', ms(median(fcpRuns.map((r) => r.sum))), '']);

  const reel = path.join(folder, 'reel.edl');
  writeFileSync(reel, edl(EDL_EVENTS));
  const edlRuns = [];
  for (let i = 0; i < 3; ++i) edlRuns.push(await openTimed(page, reel, '25'));
  const native = nativeSum(reel, '25');
  if (edlRuns.some((r) => r.total !== native.total)) throw new Error(`the page's total differs from horodex-tc's ${native.total}`);
  const edlSize = (statSync(reel).size / 1e6).toFixed(1);
  const pageSum = median(edlRuns.map((r) => r.sum));
  rows.push([`EDL of ${edlSize} MB (${EDL_EVENTS.toLocaleString('en')} events): the page's sum`, ms(pageSum), '']);
  rows.push(['the same, Open files to totals shown', ms(median(edlRuns.map((r) => r.open))), '']);
  rows.push(['native `horodex-tc -r 25 --json sum`, the whole process', ms(native.time), '']);
  rows.push(['the page\'s sum against native', `${(pageSum / native.time).toFixed(2)} ×`, '≤ 2 ×']);
  await context.close();
} finally {
  await server.close();
  rmSync(folder, { recursive: true, force: true });
}

const loads = execFileSync('cat', ['/proc/loadavg']).toString().split(' ').slice(0, 3).join(' ');
console.log(`| What | Figure | Goal |\n|---|---|---|`);
for (const [what, figure, goal] of rows) console.log(`| ${what} | ${figure} | ${goal} |`);
console.log(`\n${execFileSync('/usr/bin/chromium', ['--version'], { stdio: ['ignore', 'pipe', 'ignore'] }).toString().trim()}; load average ${loads}.`);
