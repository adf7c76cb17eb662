// What the web tests and the page benchmark share: where the built page,
// the npm package and the command line are, running the command line on a
// description, the descriptions the tests convert, and a headless Chromium
// that records every request the page makes.
//
// FLOWSVG: the flowsvg program to compare with (default build/src/cli/flowsvg);
// FLOWSVG_WEB: what scripts/web.sh built (default build-web).
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, readFileSync, existsSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const flowsvg = path.resolve(process.env.FLOWSVG || path.join(root, 'build/src/cli/flowsvg'));
export const webOut = path.resolve(process.env.FLOWSVG_WEB || path.join(root, 'build-web'));
export const pageUrl = pathToFileURL(path.join(webOut, 'flowsvg.html')).href;
export const npmModule = pathToFileURL(path.join(webOut, 'npm/index.js')).href;

for (const [what, file] of [['flowsvg', flowsvg], ['the page (scripts/web.sh)', path.join(webOut, 'flowsvg.html')]]) {
  if (!existsSync(file)) throw new Error(`${what} is not built: ${file} is missing`);
}

// "YYYY-MM-DD HH:MM:SS" of a moment given in seconds since 1970, in UTC (as
// flowsvg writes SOURCE_DATE_EPOCH).
export function utcTimestamp(seconds) {
  return new Date(seconds * 1000).toISOString().slice(0, 19).replace('T', ' ');
}

// The seconds since 1970 of a drawing's time line read as UTC.
export function secondsOfTimeLine(svg) {
  const m = /<!-- Generated: (\d{4})-(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d) -->/.exec(svg);
  if (!m) throw new Error('the drawing has no time line');
  const [y, mo, d, h, mi, s] = m.slice(1).map(Number);
  return Date.UTC(y, mo - 1, d, h, mi, s) / 1000;
}

function run(args, input, env = {}) {
  const result = spawnSync(flowsvg, args, {
    input, env: { ...process.env, ...env }, maxBuffer: 1 << 28,
  });
  if (result.error) throw result.error;
  return result;
}

// The SVG bytes flowsvg writes for the description, stamped with the given
// moment (seconds since 1970, UTC); options go before the files.
export function cliSvg(bytes, seconds, options = []) {
  const result = run(['-q', ...options, '-', '-'], bytes, { SOURCE_DATE_EPOCH: String(seconds) });
  if (result.status !== 0) throw new Error(`flowsvg failed: ${result.stderr}`);
  return result.stdout;
}

// What flowsvg --check prints for the description: the warnings shown (at
// most 1,000) as { line, message }, and the closing "N more" text if any.
export function cliWarnings(bytes) {
  const result = run(['--check', '-'], bytes);
  if (result.status !== 0 && result.status !== 3) throw new Error(`flowsvg --check failed: ${result.stderr}`);
  const warnings = [];
  let more = '';
  for (const line of result.stdout.toString('utf8').split('\n')) {
    if (line === '') continue;
    const m = /^-:(\d+): warning: (.*)$/s.exec(line);
    if (m) warnings.push({ line: Number(m[1]), message: m[2] });
    else if (line.startsWith('-: warning: ')) more = line.slice('-: warning: '.length);
    else throw new Error(`unexpected line from flowsvg --check: ${line}`);
  }
  return { warnings, more };
}

export function cliSample() {
  return run(['--sample', '-']).stdout;
}

const fixed = (text, length) => text.padEnd(length, '.').slice(0, length);

// The largest description the format allows, as bench/descriptions.cc makes
// it: 100 boxes in 20 sections, 15 lines and 10 parents each (about 1,000
// arrows), and a summary of six lines.
export function largestDescription() {
  let out = '[Header]\r\nsubtitle = The largest description: 100 items in 20 sections\r\n' +
    'company = Benchmark Works Ltd.\r\n\r\n[Summary]\r\ntext = ';
  for (let line = 1; line <= 6; line++) {
    out += fixed(`Summary line ${line} of six, long enough to fill most of the panel`, 80);
    out += line < 6 ? '|' : '\r\n';
  }
  for (let id = 1; id <= 100; id++) {
    const section = Math.floor((id - 1) / 5) + 1;
    out += `\r\n[Stage${section}.Steps]\r\nitemid = ${id}\r\nfromid = `;
    const parents = [];
    for (let k = 1; k <= 10; k++) parents.push(((id - 1 - k + 100) % 100) + 1);
    out += `${parents.join(', ')}\r\nimage = step${id}.png\r\ntitle = Process step ${id}\r\n`;
    for (let pair = 1; pair <= 15; pair++) {
      out += `Key${pair} = ${fixed(`Value ${pair} of item ${id} & <more> text`, 40)}\r\n`;
    }
  }
  return out;
}

const utf16 = (text, littleEndian) => {
  const bytes = new Uint8Array(2 + text.length * 2);
  const view = new DataView(bytes.buffer);
  view.setUint16(0, 0xfeff, littleEndian);
  for (let i = 0; i < text.length; i++) view.setUint16(2 + i * 2, text.charCodeAt(i), littleEndian);
  return bytes;
};

// The README's description with five common mistakes.
export const mistakes = '[Header]\nsubtitel = Order to shipment\n\n[Production.Steps]\nitemid = 11\n' +
  'title = Take the order\nOwner = Sales\n\n[Production.Steps]\nitemid = 12\nfromid = 11\n' +
  'Title = Bottle\nPeriod = 2025.1.8-2025.1.9\n\n[Shipping]\nitemid = 21\nfromid = 12, 13\n' +
  'title = Load the truck for the northern warehouses\n\ttitle = Load\n';

// Descriptions of every kind the converter meets, as file bytes: the
// sample, the fuzzing corpus, the README's mistakes, the largest, the
// three line breaks, a byte-order mark, UTF-16 in both orders, bytes that
// are not UTF-8, markup and quotes to escape, a binary file (over 1,000
// warnings) and the empty file.
export function descriptions() {
  const enc = (text) => new TextEncoder().encode(text);
  const list = [
    ['sample', readFileSync(path.join(root, 'examples/sample_flowchart.txt'))],
    ['mistakes', enc(mistakes)],
    ['largest', enc(largestDescription())],
    ['CR line breaks', enc(mistakes.replace(/\n/g, '\r'))],
    ['CR LF line breaks', enc(mistakes.replace(/\n/g, '\r\n'))],
    ['UTF-8 byte-order mark', enc(`\uFEFF${mistakes}`)],
    ['UTF-16 LE with its mark', utf16(mistakes, true)],
    ['UTF-16 BE with its mark', utf16(mistakes, false)],
    ['Latin-1 bytes', Uint8Array.from([...Buffer.from('[A.B]\nitemid = 1\ntitle = caf'), 0xe9, 0x0a, 0x92, 0x41])],
    ['markup and quotes', enc('[Header]\nsubtitle = <b>"Tom" & \'Jerry\'</b>\n[X.Y]\nitemid = 1\ntitle = a < b > c\nk = "&amp;"\n')],
    ['binary', Uint8Array.from({ length: 40000 }, (_, i) => (i * 7919 + 13) % 251)],
    ['empty', new Uint8Array(0)],
  ];
  const corpus = path.join(root, 'fuzz/corpus/fuzz_description');
  for (const name of ['bom_and_tabs.txt', 'bytes_swallow_break.txt', 'capacity.txt', 'cr_only_lines.txt',
    'empty_and_comments.txt', 'header_summary.txt', 'items_parents.txt', 'no_dot_section.txt']) {
    list.push([`corpus ${name}`, readFileSync(path.join(corpus, name))]);
  }
  return list.map(([name, bytes]) => ({ name, bytes: new Uint8Array(bytes) }));
}

export const chromiumArgs = [
  '--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run',
];

// Debian's Chromium, headless, with a profile of its own that goes when
// it closes. Every request of every page is recorded in requests, and every
// Content-Security-Policy violation in violations.
export async function launchBrowser() {
  const { default: puppeteer } = await import('puppeteer-core');
  const profile = mkdtempSync(path.join(os.tmpdir(), 'flowsvg-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    // Pages in the background keep running at full speed, as the one in
    // front does: the tests switch between several.
    args: [...chromiumArgs, `--user-data-dir=${profile}`, '--disable-background-timer-throttling',
      '--disable-renderer-backgrounding', '--disable-backgrounding-occluded-windows'],
  });
  const requests = [];
  const violations = [];
  const watch = async (page) => {
    page.on('request', (request) => requests.push(request.url()));
    await page.exposeFunction('__flowsvgViolation', (text) => violations.push(text)).catch(() => {});
    await page.evaluateOnNewDocument(() => {
      document.addEventListener('securitypolicyviolation', (event) =>
        window.__flowsvgViolation(`${event.violatedDirective} ${event.blockedURI}`));
    });
  };
  return {
    browser,
    requests,
    violations,
    // A new page, watched; in a new browser context when fresh is set (its
    // own local storage, as another profile would have).
    async newPage({ fresh = false } = {}) {
      const context = fresh ? await browser.createBrowserContext() : browser.defaultBrowserContext();
      const page = await context.newPage();
      await watch(page);
      await page.setViewport({ width: 1400, height: 900 });
      return page;
    },
    async close() {
      await browser.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
