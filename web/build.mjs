// Builds the three outputs of the web part from web/src, web/npm and the
// WebAssembly module (made before by emscripten, see web/CMakeLists.txt):
//
//   OUT/flowsvg.html   the whole page in one file: script, styles and the
//                      WebAssembly inline, a Content-Security-Policy that
//                      allows exactly those (by hash) and nothing else
//   OUT/site/          the same page as index.html with its script and
//                      style sheet beside it, for a static host
//   OUT/npm/           the npm package flowsvg (ES module, wasm inline)
//
// Usage: node web/build.mjs WASM_DIR OUT VERSION
import { createHash } from 'node:crypto';
import { mkdir, readFile, rm, writeFile, copyFile } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import * as esbuild from 'esbuild';
import { words } from './src/wording.js';

const here = path.dirname(fileURLToPath(import.meta.url));
const [wasmDir, outDir, version] = process.argv.slice(2);
if (!wasmDir || !outDir || !/^\d+\.\d+\.\d+$/.test(version ?? '')) {
  console.error('usage: node web/build.mjs WASM_DIR OUT VERSION');
  process.exit(64);
}

// The module factory and its wasm, by the names the sources import.
const coreAliases = {
  name: 'flowsvg-core',
  setup(build) {
    build.onResolve({ filter: /^flowsvg-core-module$/ }, () =>
      ({ path: path.resolve(wasmDir, 'flowsvg_core.mjs') }));
    build.onResolve({ filter: /^flowsvg-core-wasm$/ }, () =>
      ({ path: path.resolve(wasmDir, 'flowsvg_core.wasm') }));
  },
};

const common = {
  bundle: true,
  minify: true,
  legalComments: 'none',
  loader: { '.wasm': 'binary' },
  plugins: [coreAliases],
  logLevel: 'warning',
  write: false,
};

async function bundlePage() {
  const result = await esbuild.build({
    ...common,
    entryPoints: [path.join(here, 'src/main.js')],
    format: 'iife',
    target: ['chrome111', 'firefox113', 'safari16.4'],
    // The factory's own way to find its wasm is never taken (the bytes are
    // handed to it), and a classic script has no import.meta.
    define: { 'import.meta.url': 'undefined' },
  });
  return result.outputFiles[0].text;
}

async function bundleCss() {
  const css = await readFile(path.join(here, 'src/page.css'), 'utf8');
  const result = await esbuild.transform(css, { loader: 'css', minify: true });
  return result.code;
}

async function bundleNpm() {
  const result = await esbuild.build({
    ...common,
    entryPoints: [path.join(here, 'npm/index.js')],
    format: 'esm',
    platform: 'neutral',
    target: ['es2022'],
    minify: false,
  });
  return result.outputFiles[0].text;
}

function sha256(text) {
  return `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;
}

const escapeHtml = (text) => text.replace(/[&<>"]/g,
  (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);

// The page from its template: the words filled in, then the style and the
// script, inline or as files, with the policy that allows just them.
async function page({ script, style, csp }) {
  const template = await readFile(path.join(here, 'src/page.html'), 'utf8');
  const filled = template.replace(/\{\{(\w+)\}\}/g, (whole, name) => {
    if (name === 'csp') return escapeHtml(csp);
    if (name === 'script') return script;
    if (name === 'style') return style;
    if (!(name in words)) throw new Error(`page.html names an unknown text: ${name}`);
    return escapeHtml(words[name]);
  });
  return filled;
}

// The drawing's own styles, allowed by hash: the page shows the SVG inline,
// and its style sheet and style attributes (the same in every drawing) are
// styles of the page then. Taken from a drawing the converter makes.
async function drawingStyles() {
  const { convert, sampleDescription } = await import(pathToFileURL(path.join(outDir, 'npm/index.js')).href);
  const svg = convert(sampleDescription()).svg;
  // As the XML parser hands them over: line breaks as LF.
  const sheets = [...svg.matchAll(/<style>([^<]*)<\/style>/g)].map((m) => m[1].replace(/\r\n?/g, '\n'));
  const attributes = [...new Set([...svg.matchAll(/ style="([^"]*)"/g)].map((m) => m[1]))];
  if (sheets.length === 0) throw new Error('no style sheet found in the drawing');
  return { elements: sheets.map(sha256).join(' '), attributes: attributes.map(sha256).join(' ') };
}

function policy(scriptSource, styleSource, drawing) {
  return [
    "default-src 'none'",
    `script-src ${scriptSource} 'wasm-unsafe-eval'`,
    `style-src-elem ${styleSource} ${drawing.elements}`,
    `style-src-attr 'unsafe-hashes' ${drawing.attributes}`,
    // The PNG export draws the drawing's bytes from a blob: URL; the
    // editor's warning marks are data: images.
    'img-src blob: data:',
    "base-uri 'none'",
    "form-action 'none'",
  ].join('; ');
}

const [js, css, npm] = await Promise.all([bundlePage(), bundleCss(), bundleNpm()]);
if (/<\/script/i.test(js) || /<\/style/i.test(css)) {
  throw new Error('the bundle holds a closing tag and cannot be inlined');
}

await rm(path.join(outDir, 'site'), { recursive: true, force: true });
await rm(path.join(outDir, 'npm'), { recursive: true, force: true });
await mkdir(path.join(outDir, 'site'), { recursive: true });
await mkdir(path.join(outDir, 'npm'), { recursive: true });

// The npm package.
await writeFile(path.join(outDir, 'npm/index.js'), npm);
const drawing = await drawingStyles();

// One file: everything inline, each piece allowed by its hash.
await writeFile(path.join(outDir, 'flowsvg.html'), await page({
  script: `<script>${js}</script>`,
  style: `<style>${css}</style>`,
  csp: policy(sha256(js), sha256(css), drawing),
}));

// The static site: the same page, script and styles as files of its own origin.
await writeFile(path.join(outDir, 'site/index.html'), await page({
  script: '<script src="flowsvg.js"></script>',
  style: '<link rel="stylesheet" href="flowsvg.css">',
  csp: policy("'self'", "'self'", drawing),
}));
await writeFile(path.join(outDir, 'site/flowsvg.js'), js);
await writeFile(path.join(outDir, 'site/flowsvg.css'), css);

await copyFile(path.join(here, 'npm/index.d.ts'), path.join(outDir, 'npm/index.d.ts'));
await copyFile(path.join(here, 'npm/README.md'), path.join(outDir, 'npm/README.md'));
await copyFile(path.join(here, '../LICENSE'), path.join(outDir, 'npm/LICENSE'));
await writeFile(path.join(outDir, 'npm/package.json'), `${JSON.stringify({
  name: 'flowsvg',
  version,
  description: 'Turn a flowchart written as a text file into an SVG drawing (Flowchart SVG Generator in WebAssembly)',
  license: 'MIT',
  type: 'module',
  exports: { '.': { types: './index.d.ts', default: './index.js' } },
  main: './index.js',
  types: './index.d.ts',
  files: ['index.js', 'index.d.ts', 'README.md', 'LICENSE'],
  engines: { node: '>=18' },
  keywords: ['flowchart', 'svg', 'diagram', 'webassembly'],
}, null, 2)}\n`);
