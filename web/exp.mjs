import { launchBrowser, pageUrl, largestDescription } from './test/support.mjs';
const med = (a) => [...a].sort((x, y) => x - y)[a.length >> 1].toFixed(1);
const b = await launchBrowser();
async function run(label, lineNo, setup) {
  const page = await b.newPage({ fresh: true });
  await page.goto(pageUrl);
  await page.evaluate((t) => window.flowsvg.setText(t), largestDescription());
  if (setup) await page.evaluate(setup);
  await page.evaluate(() => {
    window.__edits = []; let pressed = 0;
    window.addEventListener('keydown', (e) => { pressed = e.timeStamp; }, true);
    window.addEventListener('flowsvg-drawn', () => { if (!pressed) return; const f = pressed; pressed = 0;
      requestAnimationFrame(() => setTimeout(() => window.__edits.push(performance.now() - f))); });
  });
  const line = await page.$(`pierce/.cm-line:nth-child(${lineNo})`);
  await line.evaluate((e) => e.scrollIntoView());
  const box = await line.boundingBox();
  await page.mouse.click(box.x + box.width - 1, box.y + box.height / 2);
  await page.keyboard.press('End');
  for (let i = 0; i < 20; i++) {
    await page.keyboard.press(i % 2 ? 'Backspace' : 'x');
    await page.waitForFunction((n) => window.__edits.length === n, { polling: 5 }, i + 1);
  }
  console.log(label, med(await page.evaluate(() => window.__edits)));
  await page.browserContext().close();
}
await run('subtitle', 2);
await run('image line (drawing same)', 13);
await run('subtitle, drawing hidden', 2, () => { document.getElementById('drawing').style.display = 'none'; });
await run('subtitle, zoom 100%', 2, () => document.getElementById('actual-size').click());
await b.close();
