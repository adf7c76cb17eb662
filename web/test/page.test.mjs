// The page flowsvg.html in headless Chromium, opened from file://, driven
// as a person would (real key and mouse events) and through its scripting
// API; every request it makes is recorded, and none may leave file:, data:
// and blob:.
import { describe, test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync, existsSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  root, pageUrl, launchBrowser, cliSvg, cliWarnings, secondsOfTimeLine, mistakes,
  largestDescription,
} from './support.mjs';

const enc = new TextEncoder();
const golden = readFileSync(path.join(root, 'examples/sample_flowchart.txt'));
const work = mkdtempSync(path.join(os.tmpdir(), 'flowsvg-page-'));
let chromium;
let page;           // the page most tests share
const extra = [];   // pages of one test, closed after it

// The page's drawing as bytes, and flowsvg's for the same description and
// the moment on its time line (the page runs in UTC, as SOURCE_DATE_EPOCH).
async function drawingAndCli(p, bytes) {
  const svg = await p.evaluate(() => window.flowsvg.svg());
  return { page: Buffer.from(svg, 'utf8'), cli: cliSvg(bytes, secondsOfTimeLine(svg)) };
}

async function openPage({ fresh = false, url = pageUrl, noPicker = false } = {}) {
  const p = await chromium.newPage({ fresh });
  await p.emulateTimezone('UTC');
  if (noPicker) {
    // The plain file input, which the browser's file chooser event reaches.
    await p.evaluateOnNewDocument(() => { delete window.showOpenFilePicker; });
  }
  extra.push(p);
  await p.goto(url);
  await p.evaluate(() => window.flowsvg.ready);
  if (noPicker) {
    // The first wait for a file chooser switches their interception on, and
    // a key pressed at once may come before it is on: let one run out first.
    await p.waitForFileChooser({ timeout: 300 }).catch(() => {});
  }
  return p;
}

// Files the page downloads go into a folder of their own.
async function downloadsInto(p, name) {
  const folder = path.join(work, name);
  const session = await p.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
  return folder;
}

async function downloaded(folder, name) {
  const file = path.join(folder, name);
  for (let i = 0; i < 100 && !existsSync(file); i++) await new Promise((r) => setTimeout(r, 50));
  assert.ok(existsSync(file), `${name} was not downloaded (${existsSync(folder) ? readdirSync(folder) : 'nothing'})`);
  return readFileSync(file);
}

const waitForText = (p, text) => p.waitForFunction(
  (t) => window.flowsvg.getText() === t && window.flowsvg.svg() !== '', {}, text);

// Drops a file holding bytes onto the page, as a file manager would.
async function dropFile(p, name, bytes) {
  await p.evaluate((fileName, data) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(data)], fileName));
    const target = document.getElementById('drawing');
    for (const type of ['dragenter', 'dragover', 'drop']) {
      target.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }
  }, name, [...bytes]);
}

before(async () => {
  chromium = await launchBrowser();
  page = await openPage();
  extra.length = 0;
});

afterEach(async () => {
  for (const p of extra.splice(0)) await p.close().catch(() => {});
});

after(async () => {
  await chromium?.close();
  rmSync(work, { recursive: true, force: true });
});

describe('the page', () => {
  test('starts with the sample, its warnings and its drawing, named by its title', async () => {
    assert.equal(await page.evaluate(() => window.flowsvg.getText()),
      golden.toString('utf8').replace(/\r\n|\r/g, '\n'));
    assert.deepEqual(await page.evaluate(() => window.flowsvg.warnings()), cliWarnings(golden).warnings);
    const { page: drawn, cli } = await drawingAndCli(page, golden);
    assert.ok(drawn.equals(cli));
    assert.equal(await page.$eval('#drawing .figure', (figure) => figure.getAttribute('aria-label')),
      'Process Flowchart: 5L bottling line: from order to shipment');
    assert.equal(await page.$eval('#drawing .figure', (figure) => figure.getAttribute('role')), 'img');
    assert.equal(await page.$eval('#summary', (e) => e.textContent), 'Sections: 1, Items: 4');
  });

  test('typing real keys redraws, the old drawing staying until the new one is ready', async () => {
    await page.evaluate(() => {
      // Records whether the pane ever held no drawing, or an empty one.
      window.__gaps = [];
      const root = document.querySelector('#drawing .figure').shadowRoot;
      new MutationObserver(() => {
        const drawings = root.querySelectorAll('svg');
        if (drawings.length !== 1) window.__gaps.push(`${drawings.length} drawings`);
        else if (drawings[0].childElementCount === 0) window.__gaps.push('an empty drawing');
      }).observe(root, { childList: true, subtree: true });
    });
    const line = await page.$('pierce/.cm-line:nth-child(2)');
    const box = await line.boundingBox();
    await page.mouse.click(box.x + box.width - 1, box.y + box.height / 2);
    await page.keyboard.press('End');
    await page.keyboard.type(' & more <soon>', { delay: 5 });
    await page.waitForFunction(() => window.flowsvg.svg().includes('shipment &amp; more &lt;soon&gt;'));
    await page.waitForFunction(() =>
      document.querySelector('#drawing .figure').getAttribute('aria-label').endsWith('& more <soon>'));
    assert.deepEqual(await page.evaluate(() => window.__gaps), []);
    const text = await page.evaluate(() => window.flowsvg.getText());
    assert.match(text, /^subtitle = 5L bottling line: from order to shipment & more <soon>$/m);
    const { page: drawn, cli } = await drawingAndCli(page, enc.encode(text));
    assert.ok(drawn.equals(cli));
  });

  test('setText gives the command line\'s bytes and warnings', async () => {
    const texts = [
      mistakes,
      mistakes.replace(/\n/g, '\r\n'),
      '[Header]\nsubtitle = <b>"Tom" & \'Jerry\'</b> \u4e2d \u{1F600}\n[X.Y]\nitemid = 1\ntitle = a < b\n',
      '',
      largestDescription(),
    ];
    for (const text of texts) {
      await page.evaluate((t) => window.flowsvg.setText(t), text);
      const { page: drawn, cli } = await drawingAndCli(page, enc.encode(text));
      assert.ok(drawn.equals(cli), `the drawing of ${JSON.stringify(text.slice(0, 40))} differs`);
      assert.deepEqual(await page.evaluate(() => window.flowsvg.warnings().slice(0, 1000)),
        cliWarnings(enc.encode(text)).warnings);
    }
  });

  test('the drawing on screen is the SVG\'s own, after edits of every size', async () => {
    const base = golden.toString('utf8');
    const edits = [
      base,
      base.replace('Owner = Sales', 'Owner = Sales and marketing'),    // one box
      base.replace('Volume = 100L', 'Volume = 100L\nCrates = 12'),    // a taller band: all below moves
      base.replace('[Production.Steps]', '[Production.Line]'),         // another band
      largestDescription(),
      largestDescription().replace('Key7 = Value 7 of item 50', 'Key7 = Value 7 of item fifty'),
      '',
      base,
    ];
    for (const text of edits) {
      await page.evaluate((t) => window.flowsvg.setText(t), text);
      const same = await page.evaluate(() => {
        const shown = document.querySelector('#drawing .figure').shadowRoot.querySelector('svg');
        const parsed = new DOMParser().parseFromString(window.flowsvg.svg(), 'image/svg+xml').documentElement;
        // White space between the root's elements shows nothing; the size
        // the pane gives the drawing is no part of it.
        for (const node of [...parsed.childNodes]) {
          if (node.nodeType === Node.TEXT_NODE && node.data.trim() === '') node.remove();
        }
        const copy = shown.cloneNode(true);
        copy.removeAttribute('style');
        return new XMLSerializer().serializeToString(copy) === new XMLSerializer().serializeToString(parsed);
      });
      assert.ok(same, `the drawing of ${JSON.stringify(text.slice(0, 60))} is not the SVG's`);
    }
  });

  test('a bad line is underlined, its hover and the list tell why, the list jumps to it', async () => {
    await page.evaluate(() => window.flowsvg.setText('[Header]\nsubtitle = Plan\ntitle: Order\n\n[A.B]\nitemid = 1\n'));
    const message = cliWarnings(enc.encode('[Header]\nsubtitle = Plan\ntitle: Order\n')).warnings[0].message;
    const underlined = await page.$('pierce/.cm-lintRange-warning');
    assert.equal(await underlined.evaluate((e) => e.textContent), 'title: Order');
    const box = await underlined.boundingBox();
    await page.mouse.move(box.x + 2, box.y + 2);
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2, { steps: 5 });
    // The hover tooltip, in the editor's shadow root.
    await page.waitForFunction(() =>
      document.getElementById('editor').shadowRoot.querySelector('.cm-tooltip-lint'));
    assert.equal(await page.evaluate(() =>
      document.getElementById('editor').shadowRoot.querySelector('.cm-tooltip-lint').textContent), message);
    const entries = await page.$$eval('#warnings-list button', (list) => list.map((b) => b.textContent));
    assert.deepEqual(entries, [`Line 3: ${message}`]);
    await page.click('#warnings-list button');
    const active = await page.$('pierce/.cm-activeLine');
    assert.equal(await active.evaluate((e) => e.textContent), 'title: Order');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'editor');
  });

  test('a 2x PNG has twice the drawing\'s size and its colours at known points', async () => {
    await page.evaluate((t) => window.flowsvg.setText(t), golden.toString('utf8'));
    const url = await page.evaluate(() => window.flowsvg.exportPng(2));
    assert.match(url, /^data:image\/png;base64,/);
    const file = path.join(work, 'drawing@2x.png');
    writeFileSync(file, Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
    // The probes of src/cli/render_test.sh, at twice their place.
    const probes = [
      'white box interior:2240,460:250-255,250-255,250-255',
      'green title bar, left end:390,280:0-60,160-200,110-150',
      'green title bar, right end:790,280:0-60,150-200,140-190',
      'amber summary panel:2000,800:248-255,236-250,190-208',
      'blue band label column:120,480:210-225,225-240,245-255',
      'pale background:40,600:244-252,246-254,248-255',
    ];
    const result = spawnSync('python3', [path.join(root, 'src/testing/png_pixels.py'), file, '2490', '940', ...probes]);
    assert.equal(result.status, 0, result.stdout.toString() + result.stderr.toString());
  });

  test('downloads: the SVG on screen, PNG at 4x, the description as UTF-8', async () => {
    const p = await openPage();
    const folder = await downloadsInto(p, 'downloads');
    await p.click('#sample');
    await p.click('#download-svg');
    const svg = await downloaded(folder, 'sample_flowchart.svg');
    assert.ok(svg.equals(cliSvg(golden, secondsOfTimeLine(svg.toString('utf8')))));
    // With the switch on, the SVG says itself to a screen reader, as
    // flowsvg --accessible writes it.
    rmSync(path.join(folder, 'sample_flowchart.svg'));
    await p.click('#accessible');
    await p.click('#download-svg');
    const accessible = await downloaded(folder, 'sample_flowchart.svg');
    assert.ok(accessible.equals(cliSvg(golden, secondsOfTimeLine(accessible.toString('utf8')), ['--accessible'])));
    assert.match(accessible.toString('utf8'), /role="img" aria-labelledby="flowchart-title flowchart-desc"/);
    await p.click('#accessible');
    await p.click('button.png[data-scale="4"]');
    const png = await downloaded(folder, 'sample_flowchart@4x.png');
    assert.deepEqual([png.readUInt32BE(16), png.readUInt32BE(20)], [4980, 1880]);
    await p.click('#save');
    const saved = await downloaded(folder, 'sample_flowchart.txt');
    // The editor holds the lone CR of the sample's last line as a line break.
    assert.equal(saved.toString('utf8'), golden.toString('utf8').replace(/\r(?!\n)/g, '\r\n'));
  });

  test('opening files: Ctrl+O and drop, UTF-16 and UTF-8 with their marks', async () => {
    const p = await openPage({ noPicker: true });
    const folder = await downloadsInto(p, 'opened');
    const text = '[Header]\r\nsubtitle = Caf\u00e9 \u4e2d\r\n\r\n[A.B]\r\nitemid = 1\r\ntitel = x\r\n';
    const forms = {
      'utf16le.txt': Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text, 'utf16le')]),
      'utf16be.txt': Buffer.concat([Buffer.from([0xfe, 0xff]), Buffer.from(text, 'utf16le').swap16()]),
      'utf8bom.txt': Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]), Buffer.from(text, 'utf8')]),
      'plain.txt': Buffer.from(text, 'utf8'),
    };
    for (const [name, bytes] of Object.entries(forms)) {
      const file = path.join(work, name);
      writeFileSync(file, bytes);
      const [chooser] = await Promise.all([p.waitForFileChooser({ timeout: 10000 }), p.keyboard.down('Control')
        .then(() => p.keyboard.press('o')).then(() => p.keyboard.up('Control'))]).catch((error) => {
        error.message += ` (opening ${name})`;
        throw error;
      });
      await chooser.accept([file]);
      await waitForText(p, text.replace(/\r\n/g, '\n'));
      await p.waitForFunction((n) => document.getElementById('message').textContent === `Opened ${n}`, {}, name);
      // While the text is the file's, the file's own bytes are drawn.
      const { page: drawn, cli } = await drawingAndCli(p, bytes);
      assert.ok(drawn.equals(cli), `${name}: the drawing differs from flowsvg's`);
      assert.deepEqual(await p.evaluate(() => window.flowsvg.warnings()), cliWarnings(bytes).warnings);
    }
    await p.evaluate(() => window.flowsvg.setText(''));
    await dropFile(p, 'dropped.txt', forms['utf16le.txt']);
    await waitForText(p, text.replace(/\r\n/g, '\n'));
    await p.click('#save');
    // Saved as UTF-8 without a mark, with the file's CR LF line breaks.
    assert.equal((await downloaded(folder, 'dropped.txt')).toString('latin1'),
      Buffer.from(text, 'utf8').toString('latin1'));
  });

  test('a file opened with a handle is saved in place', async () => {
    const p = await openPage();
    await p.evaluate(() => {
      // A stand-in for the handle the browser's open picker gives.
      window.__written = [];
      const handle = {
        kind: 'file',
        name: 'plan.txt',
        getFile: async () => new File(['[A.B]\r\nitemid = 1\r\n'], 'plan.txt'),
        queryPermission: async () => 'granted',
        requestPermission: async () => 'granted',
        createWritable: async () => ({
          write: async (data) => window.__written.push([...data]),
          close: async () => window.__written.push('closed'),
        }),
      };
      window.showOpenFilePicker = async () => [handle];
    });
    await p.click('#open');
    await waitForText(p, '[A.B]\nitemid = 1\n');
    await p.evaluate(() => window.flowsvg.setText('[A.B]\nitemid = 2\n'));
    await p.keyboard.down('Control');
    await p.keyboard.press('s');
    await p.keyboard.up('Control');
    await p.waitForFunction(() => document.getElementById('message').textContent === 'Saved plan.txt');
    const written = await p.evaluate(() => window.__written);
    assert.deepEqual(written, [[...Buffer.from('[A.B]\r\nitemid = 2\r\n')], 'closed']);
  });

  test('New and Sample', async () => {
    await page.click('#new');
    await waitForText(page, '');
    assert.deepEqual(await page.evaluate(() => window.flowsvg.warnings()), []);
    await page.click('#sample');
    await waitForText(page, golden.toString('utf8').replace(/\r\n|\r/g, '\n'));
    const { page: drawn, cli } = await drawingAndCli(page, golden);
    assert.ok(drawn.equals(cli));
  });

  test('a share link opened in a fresh page restores the text', async () => {
    const text = '[Header]\r\nsubtitle = Shared \u00e9 \u{1F600} & <x>\r\n[A.B]\r\nitemid = 1\r\ntitle = #1\r\n';
    await page.evaluate((t) => window.flowsvg.setText(t), text);
    const link = await page.evaluate(() => window.flowsvg.shareLink());
    assert.ok(link.startsWith(`${pageUrl}#v1:`), link);
    const other = await openPage({ fresh: true, url: link });
    assert.equal(await other.evaluate(() => window.flowsvg.getText()), text.replace(/\r\n/g, '\n'));
    assert.equal(await other.evaluate(() => window.location.hash), '');
    assert.equal(await other.$eval('#message', (e) => e.textContent), 'Description restored from the link');
  });

  test('links of version 1 keep their meaning; damaged links change nothing', async () => {
    // Made once by the page; every later page must read it as this text.
    const v1 = '#v1:i_ZITUxJLYrlKi5NKsksyUlVsFUoM1TIyczL5uKKDi7NzU0sqozlKkmtKAHKeKcWlCik5RellqUWcQEA';
    const expected = '[Header]\nsubtitle = v1 link\n\n[Summary]\ntext = Kept forever\n';
    const other = await openPage({ fresh: true, url: pageUrl + v1 });
    assert.equal(await other.evaluate(() => window.flowsvg.getText()), expected);
    await other.evaluate(() => window.flowsvg.setText('unchanged'));
    for (const [fragment, message] of [
      ['#v1:i_ZITUxJLYrlKi5NKsksyUlVsFUoM1TIyczL5uKKDi7N', 'The link in the address cannot be read (it is cut short or damaged); the description was left as it was'],
      ['#v1:@@@', 'The link in the address cannot be read (it is cut short or damaged); the description was left as it was'],
      ['#v2:AAAA', 'The link was made by a newer version of this page (v2); the description was left as it was'],
    ]) {
      await other.evaluate((f) => { window.location.hash = f; }, fragment);
      await other.waitForFunction((m) => document.getElementById('message').textContent === m, {}, message);
      assert.equal(await other.evaluate(() => window.flowsvg.getText()), 'unchanged');
    }
  });

  test('the text survives a reload', async () => {
    const text = `[Header]\nsubtitle = Kept ${Date.now()}\n`;
    await page.evaluate((t) => window.flowsvg.setText(t), text);
    await page.reload();
    await page.evaluate(() => window.flowsvg.ready);
    assert.equal(await page.evaluate(() => window.flowsvg.getText()), text);
  });

  test('zoom: fit, the buttons, Ctrl+wheel and 100 %', async () => {
    await page.evaluate((t) => window.flowsvg.setText(t), golden.toString('utf8'));
    const level = () => page.$eval('#zoom-level', (e) => e.value);
    const width = () => page.$eval('#drawing .figure',
      (figure) => figure.shadowRoot.querySelector('svg').getBoundingClientRect().width);
    await page.click('#actual-size');
    assert.equal(await level(), '100 %');
    assert.equal(await width(), 1245);
    await page.click('#zoom-in');
    assert.equal(await level(), '125 %');
    await page.click('#zoom-out');
    await page.click('#zoom-out');
    assert.equal(await level(), '80 %');
    const pane = await (await page.$('#drawing')).boundingBox();
    await page.mouse.move(pane.x + 100, pane.y + 100);
    await page.keyboard.down('Control');
    await page.mouse.wheel({ deltaY: -100 });
    await page.keyboard.up('Control');
    await page.waitForFunction(() => document.getElementById('zoom-level').value === '100 %');
    await page.focus('#drawing');
    for (const [key, expected] of [['0', '100 %'], ['=', '125 %'], ['-', '100 %']]) {
      await page.keyboard.down('Control');
      await page.keyboard.press(key);
      await page.keyboard.up('Control');
      assert.equal(await level(), expected, `Ctrl+${key}`);
    }
    await page.click('#fit');
    const fitted = await width();
    assert.ok(fitted < pane.width && fitted > pane.width * 0.8, `${fitted} in a pane of ${pane.width}`);
    assert.equal(await page.$eval('#fit', (b) => b.getAttribute('aria-pressed')), 'true');
  });

  test('every control is reached with Tab and works with Enter', async () => {
    await page.evaluate(() => document.activeElement.blur());
    const reached = new Set();
    for (let i = 0; i < 30; i++) {
      await page.keyboard.press('Tab');
      reached.add(await page.evaluate(() => {
        const e = document.activeElement;
        return e.id || (e.dataset.scale ? `png${e.dataset.scale}` : e.className);
      }));
    }
    for (const id of ['new', 'open', 'sample', 'save', 'download-svg', 'png1', 'png2', 'png4', 'print',
      'share', 'fit', 'zoom-out', 'actual-size', 'zoom-in', 'editor', 'drawing']) {
      assert.ok(reached.has(id), `${id} is not reached with Tab (${[...reached]})`);
    }
    await page.focus('#new');
    await page.keyboard.press('Enter');
    await waitForText(page, '');
  });

  test('printing gives the drawing alone on one page of its size', async () => {
    await page.evaluate((t) => window.flowsvg.setText(t), golden.toString('utf8'));
    const pdf = Buffer.from(await page.pdf({ preferCSSPageSize: true, printBackground: true }));
    const text = pdf.toString('latin1');
    assert.equal(text.match(/\/Type\s*\/Page[^s]/g).length, 1);
    // 1245 x 470 CSS pixels are 933.75 x 352.5 points.
    const box = /\/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\]/.exec(text);
    assert.ok(Math.abs(Number(box[1]) - 933.75) < 1 && Math.abs(Number(box[2]) - 352.5) < 1, box[0]);
  });

  test('the chrome follows the dark setting; the drawing does not', async () => {
    const look = () => page.evaluate(() => [getComputedStyle(document.body).backgroundColor,
      window.flowsvg.svg().replace(/<!-- Generated: .* -->/, '')]);
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'light' }]);
    const light = await look();
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'dark' }]);
    await page.evaluate((t) => window.flowsvg.setText(t), golden.toString('utf8'));
    const dark = await look();
    assert.notEqual(light[0], dark[0]);
    assert.equal(light[1], dark[1]);
    await page.emulateMediaFeatures([]);
  });
});

test('nothing left file:, data: and blob:, and the policy blocked nothing', () => {
  const outside = chromium.requests.filter((url) => !/^(file|data|blob):/.test(url));
  assert.deepEqual(outside, []);
  assert.ok(chromium.requests.length > 0);
  assert.deepEqual(chromium.violations, []);
});
