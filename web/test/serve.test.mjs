// The page in its file mode against a running `flowsvg --serve`, in headless
// Chromium: it shows the file and the drawing flowsvg writes, redraws on a
// save on disk, saves an edit into the file (which flowsvg then converts),
// and refuses a save over a change on disk, saying so and offering to
// reload or replace.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, renameSync, rmSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { flowsvg, launchBrowser } from './support.mjs';

const description = (title, extra = '') =>
  `[Header]\nsubtitle = Served file\n\n[Flow.Steps]\nitemid = 1\ntitle = ${title}\n${extra}`;
// A drawing without its time line, which differs between any two runs.
const untimed = (svg) => svg.replace(/<!-- Generated: [^>]* -->/, '');

let folder;
let input;
let output;
let server;
let address;
let origin;
let chromium;

// Waits until check() holds (it may be async), up to ten seconds.
async function until(what, check) {
  const end = Date.now() + 10000;
  for (;;) {
    if (await check()) return;
    if (Date.now() > end) throw new Error(`timed out waiting until ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
}

// A save as editors make it: a new file renamed over the old one.
function saveOnDisk(text) {
  const temporary = path.join(folder, '.plan.txt.new');
  writeFileSync(temporary, text);
  renameSync(temporary, input);
}

const readOutput = () => readFileSync(output, 'utf8');

// Starts flowsvg --serve FILE; resolves to the process and the address it
// printed.
async function serve(file) {
  const started = spawn(flowsvg, ['--serve', file], { stdio: ['ignore', 'ignore', 'pipe'] });
  let lines = '';
  const printed = await new Promise((resolve, reject) => {
    started.stderr.on('data', (chunk) => {
      lines += chunk;
      const m = /^\[\d\d:\d\d:\d\d\] Preview at (http:\/\/127\.0\.0\.1:\d+\/#key=[0-9a-f]{32})$/m.exec(lines);
      if (m) resolve(m[1]);
    });
    started.on('exit', (code) => reject(new Error(`flowsvg --serve ended (${code}): ${lines}`)));
  });
  return { process: started, address: printed };
}

// Ends flowsvg as Ctrl+C does: by the signal itself, as --watch ends (a
// shell shows 130).
async function interrupt(started) {
  if (started.exitCode !== null) return;
  const ended = new Promise((resolve) => started.on('exit', (code, signal) => resolve({ code, signal })));
  started.kill('SIGINT');
  assert.deepEqual(await ended, { code: null, signal: 'SIGINT' });
}

before(async () => {
  folder = mkdtempSync(path.join(os.tmpdir(), 'flowsvg-serve-'));
  input = path.join(folder, 'plan.txt');
  output = path.join(folder, 'plan.svg');
  writeFileSync(input, description('First'));
  ({ process: server, address } = await serve(input));
  origin = new URL(address).origin;
  chromium = await launchBrowser();
});

after(async () => {
  await chromium?.close();
  if (server) await interrupt(server);
  if (folder) rmSync(folder, { recursive: true, force: true });
});

async function openPage(at = address) {
  const page = await chromium.newPage({ fresh: true });
  await page.goto(at);
  await page.evaluate(() => window.flowsvg.ready);
  return page;
}

const pageSvg = (page) => page.evaluate(() => window.flowsvg.svg());
const pageText = (page) => page.evaluate(() => window.flowsvg.getText());
const message = (page) => page.$eval('#message', (e) => e.textContent);

test('the page shows the file and the very drawing flowsvg writes', async () => {
  const page = await openPage();
  assert.equal(await pageText(page), description('First'));
  await until('flowsvg has written the drawing', () => readOutput().includes('First'));
  assert.equal(untimed(await pageSvg(page)), untimed(readOutput()));
  // Everything from its own origin, nothing its policy blocks.
  assert.deepEqual(chromium.requests.filter((url) => !url.startsWith(`${origin}/`) && !/^(data|blob):/.test(url)), []);
  assert.deepEqual(chromium.violations, []);
  await page.close();
});

test('a save on disk redraws the page, as flowsvg redraws the file', async () => {
  const page = await openPage();
  saveOnDisk(description('Saved in an editor'));
  await until('the page shows the save', async () => (await pageSvg(page)).includes('Saved in an editor'));
  assert.equal(await pageText(page), description('Saved in an editor'));
  await until('flowsvg has converted the save', () => readOutput().includes('Saved in an editor'));
  assert.equal(untimed(await pageSvg(page)), untimed(readOutput()));
  await page.close();
});

test('an edit saved in the page changes the file and its drawing on disk', async () => {
  const page = await openPage();
  const edited = description('Edited in the page', 'Owner = Sales\n');
  await page.evaluate((text) => window.flowsvg.setText(text), edited);
  await page.click('#save');
  await until('the file holds the edit', () => readFileSync(input, 'utf8') === edited);
  await until('the page says it saved', async () => (await message(page)) === 'Saved into the file');
  await until('flowsvg has converted the edit', () => readOutput().includes('Edited in the page'));
  assert.equal(untimed(await pageSvg(page)), untimed(readOutput()));
  // Saved again without a change on disk between: accepted as well.
  await page.evaluate((text) => window.flowsvg.setText(text), description('Edited twice'));
  await page.keyboard.down('Control');
  await page.keyboard.press('s');
  await page.keyboard.up('Control');
  await until('the file holds the second edit', () => readFileSync(input, 'utf8') === description('Edited twice'));
  await page.close();
});

test('a save over a change on disk is refused; the page offers to reload or replace', async () => {
  const page = await openPage();
  const other = await openPage();
  // Unsaved edits in the page, then a save on disk by another program.
  await page.evaluate((text) => window.flowsvg.setText(text), description('Mine'));
  saveOnDisk(description('Theirs'));
  await until('the page says the file changed', async () =>
    (await message(page)) === 'The file was changed on disk; your edits here are not saved yet');
  assert.equal(await pageText(page), description('Mine'));
  // The other page, without edits, simply follows the file.
  await until('the other page follows', async () => (await pageText(other)) === description('Theirs'));

  await page.click('#save');
  await until('the conflict is shown', () => page.$eval('#conflict', (e) => !e.hidden));
  const refusal = 'Not saved: the file was changed on disk since this page loaded it. '
    + 'Reload it (your edits are dropped) or replace it with your edits';
  assert.equal(await page.$eval('#conflict-text', (e) => e.textContent), refusal);
  assert.equal(await message(page), refusal);
  assert.equal(readFileSync(input, 'utf8'), description('Theirs'));

  // Replace: the edits go into the file.
  await page.click('#conflict-replace');
  await until('the file holds the edits', () => readFileSync(input, 'utf8') === description('Mine'));
  assert.equal(await page.$eval('#conflict', (e) => e.hidden), true);
  await until('the other page follows again', async () => (await pageText(other)) === description('Mine'));

  // Reload: the edits go, the file's text is shown.
  await other.evaluate((text) => window.flowsvg.setText(text), description('Lost edit'));
  saveOnDisk(description('On disk'));
  await until('the other page says the file changed', async () =>
    (await message(other)) === 'The file was changed on disk; your edits here are not saved yet');
  await other.click('#save');
  await until('the other page shows the conflict', () => other.$eval('#conflict', (e) => !e.hidden));
  await other.click('#conflict-reload');
  await until('the other page shows the file', async () => (await pageText(other)) === description('On disk'));
  assert.equal(readFileSync(input, 'utf8'), description('On disk'));
  await page.close();
  await other.close();
});

test('a file not there yet is shown once it is saved', async () => {
  const later = path.join(folder, 'later.txt');
  const { process: waiting, address: at } = await serve(later);
  try {
    const page = await openPage(at);
    assert.equal(await pageText(page), '');
    assert.match(await message(page), /^Cannot read the file \(500 .*No such file or directory/);
    writeFileSync(later, description('Arrived'));
    await until('the page shows the file', async () => (await pageText(page)) === description('Arrived'));
    await until('its drawing is shown', async () => (await pageSvg(page)).includes('Arrived'));
    await page.close();
  } finally {
    await interrupt(waiting);
  }
});
