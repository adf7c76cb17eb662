// The page's entry point: starts the converter from the WebAssembly bytes
// bundled into the page, then the page in its mode, and offers the
// scripting API window.flowsvg (for tests and for pages that embed this
// one):
//   ready             a promise, resolved when the first drawing is on screen
//   setText(text)     replaces the description's text (as a paste over all
//                     of it: still the same file for Save); a promise,
//                     resolved when its drawing is on screen
//   getText()         the description as the editor holds it (LF line breaks)
//   svg()             the SVG on screen, as text
//   warnings()        its warnings, [{ line, message }]
//   shareLink()       a promise of the share link of the description
//   exportPng(scale)  a promise of the drawing as a data:image/png URL
import createModule from 'flowsvg-core-module';
import wasmBytes from 'flowsvg-core-wasm';
import { startCore } from './core.js';
import { Page } from './page.js';
import { createLocalMode } from './local_mode.js';

function blobToDataUrl(blob) {
  return new Promise((resolve, reject) => {
    const reader = new FileReader();
    reader.onload = () => resolve(reader.result);
    reader.onerror = () => reject(reader.error);
    reader.readAsDataURL(blob);
  });
}

async function start() {
  const core = await startCore(createModule, wasmBytes);
  const mode = createLocalMode(core);
  const created = new Page(core);
  const { doc, message } = await mode.initialDocument();
  mode.attach(created);
  await created.start(mode, doc);
  if (message) created.say(message);
  return created;
}

let page = null;
const started = start().then((ready) => {
  page = ready;
  return ready;
}, (error) => {
  document.getElementById('placeholder').textContent = String(error);
  throw error;
});

window.flowsvg = {
  ready: started.then(() => undefined),
  async setText(text) {
    await (await started).replaceText(String(text));
  },
  getText: () => page?.editor.getText() ?? '',
  svg: () => page?.result?.svg ?? '',
  warnings: () => (page?.result?.warnings ?? []).map((w) => ({ ...w })),
  async shareLink() {
    const ready = await started;
    return ready.mode.shareLink(ready.editor.getText());
  },
  async exportPng(scale = 1) {
    return blobToDataUrl(await (await started).pngBlob(Number(scale)));
  },
};
