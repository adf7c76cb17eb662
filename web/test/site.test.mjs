// The static site (build-web/site) served from a host: the same page as
// the single file, its script and style sheet its only requests, all to its
// own origin, and nothing its policy blocks.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { webOut, launchBrowser, cliSvg, secondsOfTimeLine } from './support.mjs';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css' };
let server;
let origin;
let chromium;

before(async () => {
  // A static host on the loopback interface, serving build-web/site.
  server = createServer(async (request, response) => {
    const name = new URL(request.url, 'http://host').pathname.replace(/^\/$/, '/index.html');
    if (!/^\/[\w.]+$/.test(name)) {
      response.writeHead(404).end();
      return;
    }
    try {
      const body = await readFile(path.join(webOut, 'site', name));
      response.writeHead(200, { 'Content-Type': TYPES[path.extname(name)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  chromium = await launchBrowser();
});

after(async () => {
  await chromium?.close();
  await new Promise((resolve) => server?.close(resolve));
});

test('the site\'s page draws as the single file does, from its own origin only', async () => {
  const page = await chromium.newPage();
  await page.emulateTimezone('UTC');
  await page.goto(`${origin}/`);
  await page.evaluate(() => window.flowsvg.ready);
  const text = '[Header]\nsubtitle = Hosted\n\n[A.B]\nitemid = 1\ntitle = Served\n';
  await page.evaluate((t) => window.flowsvg.setText(t), text);
  const svg = await page.evaluate(() => window.flowsvg.svg());
  assert.ok(Buffer.from(svg, 'utf8').equals(cliSvg(new TextEncoder().encode(text), secondsOfTimeLine(svg))));
  const outside = chromium.requests.filter((url) => !url.startsWith(`${origin}/`) && !/^(data|blob):/.test(url));
  assert.deepEqual(outside, []);
  assert.deepEqual(chromium.requests.filter((url) => url.startsWith(origin)).map((url) => url.slice(origin.length)),
    ['/', '/flowsvg.css', '/flowsvg.js']);
  assert.deepEqual(chromium.violations, []);
});
