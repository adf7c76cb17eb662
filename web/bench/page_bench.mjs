// The page's figures (a benchmark, not a test): the size of the single HTML
// file, the time from opening it to its first drawing, and the time from a
// key pressed in the editor of the largest description to its new drawing
// on screen, in headless Chromium.
//
// Usage (after scripts/web.sh): node web/bench/page_bench.mjs
// Goals: the HTML file at most 1.5 MB; an edit to its drawing at most 50 ms
// (median of 20 edits).
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { gzipSync } from 'node:zlib';
import { webOut, pageUrl, npmModule, launchBrowser, largestDescription } from '../test/support.mjs';

const LOADS = 20;
const EDITS = 20;
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const ms = (value) => `${value.toFixed(1)} ms`;
const spread = (values) => `${ms(median(values))} (${ms(Math.min(...values))} to ${ms(Math.max(...values))})`;

const html = readFileSync(path.join(webOut, 'flowsvg.html'));
const gzipped = gzipSync(html, { level: 9 }).length;
const wasm = readFileSync(path.join(webOut, 'wasm/flowsvg_core.wasm')).length;

// The converter alone, in Node's V8 (the same engine as Chromium's).
const { convert } = await import(npmModule);
const largest = largestDescription();
const converts = [];
for (let i = 0; i < 20; i++) {
  const start = performance.now();
  convert(largest, { timestamp: '2026-12-10 00:00:00' });
  converts.push(performance.now() - start);
}

const chromium = await launchBrowser();
const loads = [];
try {
  for (let i = 0; i < LOADS; i++) {
    const page = await chromium.newPage({ fresh: true });
    await page.goto(pageUrl);
    // Milliseconds from the start of the navigation to the first drawing on screen.
    loads.push(await page.evaluate(() => window.flowsvg.ready.then(() => new Promise((resolve) =>
      requestAnimationFrame(() => setTimeout(() => resolve(performance.now())))))));
    await page.browserContext().close();
  }

  const page = await chromium.newPage({ fresh: true });
  await page.goto(pageUrl);
  await page.evaluate((text) => window.flowsvg.setText(text), largest);
  await page.evaluate(() => {
    // From the key's event to the frame after the new drawing was put in place.
    window.__edits = [];
    let pressed = 0;
    window.addEventListener('keydown', (event) => { pressed = event.timeStamp; }, true);
    window.addEventListener('flowsvg-drawn', () => {
      if (!pressed) return;
      const from = pressed;
      pressed = 0;
      requestAnimationFrame(() => setTimeout(() => window.__edits.push(performance.now() - from)));
    });
  });
  const line = await page.$('pierce/.cm-line:nth-child(2)');
  const box = await line.boundingBox();
  await page.mouse.click(box.x + box.width - 1, box.y + box.height / 2);
  await page.keyboard.press('End');
  for (let i = 0; i < EDITS; i++) {
    // Alternately a letter typed and taken back, so the text stays the largest.
    await page.keyboard.press(i % 2 ? 'Backspace' : 'x');
    await page.waitForFunction((n) => window.__edits.length === n, { polling: 5 }, i + 1);
  }
  var edits = await page.evaluate(() => window.__edits);
  var steps = await page.evaluate((n) => {
    const by = {};
    for (const m of performance.getEntriesByType('measure')) (by[m.name] ??= []).push(m.duration);
    return Object.fromEntries(Object.entries(by).map(([name, list]) => [name, list.slice(-n)]));
  }, EDITS);
} finally {
  await chromium.close();
}

const kb = (bytes) => `${bytes.toLocaleString('en')} bytes (${(bytes / 1024).toFixed(0)} KiB)`;
console.log(`flowsvg.html: ${kb(html.length)}, gzipped ${kb(gzipped)}; goal at most 1.5 MB: ${html.length <= 1.5e6 ? 'met' : 'MISSED'}`);
console.log(`  of which the WebAssembly: ${kb(wasm)} (base64 inside the script)`);
console.log(`load to the first drawing (median of ${LOADS}): ${spread(loads)}`);
console.log(`edit of the largest description to its drawing on screen (median of ${EDITS}): ${spread(edits)}; ` +
  `goal at most 50 ms: ${median(edits) <= 50 ? 'met' : 'MISSED'}`);
for (const [name, values] of Object.entries(steps)) {
  console.log(`  ${name.replace('flowsvg ', '')}: ${spread(values)}`);
}
console.log(`  conversion of the largest alone (Node, median of 20): ${spread(converts)}`);
process.exitCode = html.length <= 1.5e6 && median(edits) <= 50 ? 0 : 1;
