// Takes the README's picture of the page: the sample, its first warning
// underlined, listed and hovered, in headless Chromium.
// Usage: node web/bench/screenshot.mjs BUILD_WEB OUT.png
import path from 'node:path';
import { launchBrowser } from '../test/support.mjs';

const [buildWeb, out] = process.argv.slice(2);
const { browser } = await launchBrowser();
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 720 });
  await page.goto('file://' + path.resolve(buildWeb, 'flowsvg.html'));
  await page.evaluate(() => window.flowsvg.ready);
  // The editor lives in a shadow root of its own.
  const underlined = await page.waitForSelector('pierce/.cm-lintRange-warning');
  const box = await underlined.boundingBox();
  await page.mouse.move(box.x + 2, box.y + 2);
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2, { steps: 5 });
  await page.waitForFunction(() =>
    document.getElementById('editor').shadowRoot.querySelector('.cm-tooltip-lint'));
  await page.screenshot({ path: out });
} finally {
  await browser.close();
}
