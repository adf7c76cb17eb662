// The npm package against the command line: the golden drawing of the
// sample, the same bytes as flowsvg and the same warnings as flowsvg --check
// for descriptions of every kind, the sample's bytes, the timestamp rule,
// and memory running out without breaking the module.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import {
  root, npmModule, descriptions, cliSvg, cliWarnings, cliSample, utcTimestamp,
} from './support.mjs';

const { convert, sampleDescription, isValidTimestamp, OutOfMemoryError } = await import(npmModule);
const enc = new TextEncoder();

test('the sample converts to the golden drawing', () => {
  const golden = readFileSync(path.join(root, 'testdata/sample_flowchart.svg'));
  const description = readFileSync(path.join(root, 'examples/sample_flowchart.txt'));
  const result = convert(new Uint8Array(description), { timestamp: '2026-12-10 00:12:45' });
  assert.ok(Buffer.from(result.svg, 'utf8').equals(golden));
  assert.equal(result.sections, 1);
  assert.equal(result.items, 4);
});

test('every description gives flowsvg\'s bytes and flowsvg --check\'s warnings', () => {
  const moment = 1765324800;  // 2025-12-10 00:00:00 UTC
  for (const { name, bytes } of descriptions()) {
    const result = convert(bytes, { timestamp: utcTimestamp(moment) });
    assert.ok(Buffer.from(result.svg, 'utf8').equals(cliSvg(bytes, moment)), `${name}: the SVG differs`);
    const check = cliWarnings(bytes);
    assert.deepEqual(result.warnings, check.warnings, `${name}: the warnings differ`);
    const hidden = result.moreWarnings;
    assert.equal(check.more, hidden > 0 ? `${hidden} more warnings are not shown` : '', name);
  }
});

test('a description given as text converts as its UTF-8 bytes', () => {
  const text = '[Header]\nsubtitle = Caf\u00e9 \u4e2d \u{1F600}\n[A.B]\nitemid = 1\ntitle = \u00fcber\n';
  const options = { timestamp: '2030-01-02 03:04:05' };
  assert.deepEqual(convert(text, options), convert(enc.encode(text), options));
  assert.match(convert(text, options).svg, /Caf\u00e9 \u4e2d \u{1F600}/u);
});

test('accessible gives the bytes of flowsvg --accessible; off, the plain ones', () => {
  const text = '[Header]\nsubtitle = Orders & more\n[A.B]\nitemid = 1\ntitle = Intake\nitemid = 2\ntitle = Plan\nfromid = 1\n';
  const seconds = 1893456000;
  const timestamp = utcTimestamp(seconds);
  const accessible = convert(text, { timestamp, accessible: true }).svg;
  assert.ok(Buffer.from(accessible, 'utf8').equals(cliSvg(enc.encode(text), seconds, ['--accessible'])));
  assert.match(accessible, /<title id="flowchart-title">Process Flowchart: Orders &amp; more<\/title>/);
  assert.match(accessible, /\r\nArrow: Intake \u2192 Plan\.\r\n/);
  for (const off of [{ timestamp }, { timestamp, accessible: false }]) {
    assert.ok(Buffer.from(convert(text, off).svg, 'utf8').equals(cliSvg(enc.encode(text), seconds)));
  }
});

test('sampleDescription is what flowsvg --sample writes', () => {
  assert.ok(Buffer.from(sampleDescription(), 'utf8').equals(cliSample()));
});

test('timestamps: a real date and time from 1970 to 9999, or empty for now', () => {
  const cases = [
    ['2026-12-10 00:12:45', true], ['1970-01-01 00:00:00', true], ['1969-12-31 23:59:59', false], ['9999-12-31 23:59:59', true],
    ['2024-02-29 12:00:00', true], ['2000-02-29 12:00:00', true],
    ['2023-02-29 12:00:00', false], ['1900-02-29 12:00:00', false], ['2026-04-31 10:00:00', false],
    ['1600-12-31 23:59:59', false], ['2026-13-01 00:00:00', false], ['2026-00-10 00:00:00', false],
    ['2026-12-10 24:00:00', false], ['2026-12-10 23:60:00', false], ['2026-12-10 23:59:60', false],
    ['2026-12-10T00:12:45', false], ['2026-12-10 0:12:45', false], [' 2026-12-10 00:12:45', false],
    ['2026-12-10 00:12:45Z', false], ['٢٠٢٦-12-10 00:12:45', false],
  ];
  for (const [text, valid] of cases) {
    assert.equal(isValidTimestamp(text), valid, text);
    if (valid) {
      assert.match(convert('', { timestamp: text }).svg, new RegExp(`<!-- Generated: ${text} -->`));
    } else {
      assert.throws(() => convert('', { timestamp: text }), RangeError, text);
    }
  }
  assert.throws(() => convert('', { timestamp: 20261210 }), RangeError);
  assert.throws(() => convert(42), TypeError);
});

test('without a timestamp the drawing has the current local time', () => {
  const local = (date) => {
    const p = (n) => String(n).padStart(2, '0');
    return `${date.getFullYear()}-${p(date.getMonth() + 1)}-${p(date.getDate())} ` +
      `${p(date.getHours())}:${p(date.getMinutes())}:${p(date.getSeconds())}`;
  };
  const before = local(new Date());
  const line = /<!-- Generated: (.{19}) -->/.exec(convert('').svg)[1];
  const after = local(new Date());
  assert.ok(before <= line && line <= after, `${before} <= ${line} <= ${after}`);
});

test('memory running out is an error, and the next conversion works', () => {
  // One line of 400 MB: its copies outgrow the module's 1 GB of memory.
  const huge = new Uint8Array(400 * 1024 * 1024).fill(0x76);
  huge.set(enc.encode('key = '));
  assert.throws(() => convert(huge), OutOfMemoryError);
  const after = convert(sampleDescription(), { timestamp: '2026-12-10 00:12:45' });
  assert.ok(Buffer.from(after.svg).equals(readFileSync(path.join(root, 'testdata/sample_flowchart.svg'))));
});
