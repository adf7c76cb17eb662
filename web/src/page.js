// The page: the editor on the left, the drawing and its warnings on the
// right, redrawn on every change of the text, and the commands around them
// (open, new, sample, save, downloads, print, share).
//
// Where the description comes from and where it is kept is the business of
// a mode (local_mode.js: local storage, share links, files the user opens
// and downloads); the page calls its hooks and knows nothing of them.
import { words, fill, fileNames } from './wording.js';
import { createEditor } from './editor.js';
import { DrawingPane, drawingTitle, drawingImage } from './drawing.js';
import { decodeDescription, lineBreakOf, outputName, download, chooseFile, handleOfDrop } from './files.js';
import { OutOfMemoryError } from './core.js';

const MOST_WARNINGS_SHOWN = 1000;  // as the command line shows them
// The largest canvas browsers draw (Chromium: 32767 pixels a side, 2^28 in all).
const MAX_CANVAS_SIDE = 32767;
const MAX_CANVAS_AREA = 268435456;

const $ = (id) => document.getElementById(id);
const encoder = new TextEncoder();

export class Page {
  constructor(core) {
    this.core = core;
    this.mode = null;
    // The loaded document: its file name, its bytes as the file held them
    // and the text they show as, the line break to save with, and the
    // handle to save it in place where the browser gave one. While the
    // editor's text is that text, the file's own bytes are converted.
    this.doc = { name: '', bytes: null, text: '', lineBreak: '\n', handle: null };
    this.result = null;     // the last conversion shown
    this.version = 0;       // counts changes of the text
    this.drawnVersion = -1;
    this.dirty = false;
    this.drawing = false;
    this.waiters = [];      // { version, resolve } until that version is drawn
    this.warningsShown = '';
  }

  // Builds the page around its mode and shows the first drawing.
  async start(mode, initial) {
    this.mode = mode;
    this.doc = {
      ...this.doc, ...initial, text: initial.text.replace(/\r\n?/g, '\n'),
      lineBreak: lineBreakOf(initial.text),
    };
    this.editor = createEditor($('editor'), {
      text: initial.text,
      label: words.editorLabel,
      onChange: (text) => this.textChanged(text),
    });
    this.pane = new DrawingPane($('drawing'), {
      onZoom: (percent, fitted) => {
        $('zoom-level').value = fill(words.zoomLevel, { percent });
        $('fit').setAttribute('aria-pressed', String(fitted));
      },
    });
    this.wireCommands();
    this.wireDrop();
    this.printSheet = new CSSStyleSheet();
    document.adoptedStyleSheets = [...document.adoptedStyleSheets, this.printSheet];
    this.version = 1;
    const first = this.whenDrawn(this.version);
    this.scheduleDraw();
    await first;
    $('placeholder')?.remove();
  }

  // --- The text and its drawing --------------------------------------------

  textChanged(text) {
    this.version += 1;
    this.mode.textChanged(text);
    this.scheduleDraw();
  }

  // Replaces the document: the editor's text (one change that undo takes
  // back) and what the page knows of its file.
  load({ text, name = '', bytes = null, handle = null, lineBreak }) {
    // The editor holds every line break (CR LF, CR, LF) as LF.
    const held = text.replace(/\r\n?/g, '\n');
    this.doc = { name, bytes, text: held, handle, lineBreak: lineBreak ?? lineBreakOf(text) };
    if (held === this.editor.getText()) {
      // The same text from another file: only the bytes converted change.
      this.textChanged(text);
    } else {
      this.editor.setText(text);
    }
    return this.whenDrawn(this.version);
  }

  // Replaces the editor's text, as a paste over all of it would: the
  // document stays the same file (its name, line breaks and handle).
  replaceText(text) {
    if (text.replace(/\r\n?/g, '\n') !== this.editor.getText()) this.editor.setText(text);
    return this.whenDrawn(this.version);
  }

  whenDrawn(version) {
    if (this.drawnVersion >= version) return Promise.resolve();
    return new Promise((resolve) => this.waiters.push({ version, resolve }));
  }

  scheduleDraw() {
    this.dirty = true;
    if (!this.drawing) {
      this.drawing = true;
      queueMicrotask(() => this.drawLoop());
    }
  }

  // Converts the latest text and shows it. Runs once the change that asked
  // for it is done; changes made meanwhile are drawn together.
  drawLoop() {
    while (this.dirty) {
      this.dirty = false;
      const version = this.version;
      const text = this.editor.getText();
      const input = this.doc.bytes && text === this.doc.text ? this.doc.bytes : text;
      let result;
      // The steps of a redraw are measured (performance.measure) for the
      // page's benchmark.
      const started = performance.now();
      try {
        result = this.core.convert(input);
      } catch (error) {
        if (!(error instanceof OutOfMemoryError)) throw error;
        this.say(words.outOfMemory);
        this.finishVersion(version);
        continue;
      }
      const converted = performance.now();
      this.result = result;
      this.editor.showWarnings(result.warnings);
      const underlined = performance.now();
      this.showWarnings(result.warnings, result.moreWarnings);
      $('summary').textContent = fill(words.summary, result);
      const listed = performance.now();
      const { title, subtitle } = drawingTitle(result.svg);
      const name = subtitle ? fill(words.drawingNameWithSubtitle, { title, subtitle }) : title;
      this.pane.show(result.svg, name || words.drawingName);
      this.setPrintPage();
      performance.measure('flowsvg convert', { start: started, end: converted });
      performance.measure('flowsvg underline', { start: converted, end: underlined });
      performance.measure('flowsvg list', { start: underlined, end: listed });
      performance.measure('flowsvg drawing', { start: listed, end: performance.now() });
      this.finishVersion(version);
      window.dispatchEvent(new CustomEvent('flowsvg-drawn', { detail: { version } }));
    }
    this.drawing = false;
  }

  finishVersion(version) {
    this.drawnVersion = version;
    this.waiters = this.waiters.filter((w) => {
      if (w.version > version) return true;
      w.resolve();
      return false;
    });
  }

  // warnings: the first ones the converter lists (as the command line
  // does); more: how many it did not list.
  showWarnings(warnings, more) {
    const key = JSON.stringify(warnings.slice(0, MOST_WARNINGS_SHOWN)) + (warnings.length + more);
    if (key === this.warningsShown) return;
    this.warningsShown = key;
    const list = $('warnings-list');
    const items = [];
    for (const { line, message } of warnings.slice(0, MOST_WARNINGS_SHOWN)) {
      const item = document.createElement('li');
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = fill(words.warningItem, { line, message });
      button.addEventListener('click', () => this.editor.goToLine(line));
      item.append(button);
      items.push(item);
    }
    const hidden = more + Math.max(0, warnings.length - MOST_WARNINGS_SHOWN);
    if (hidden > 0) {
      const item = document.createElement('li');
      item.className = 'more';
      item.textContent = fill(words.moreWarnings, { n: hidden });
      items.push(item);
    }
    if (warnings.length === 0) {
      const none = document.createElement('li');
      none.className = 'none';
      none.textContent = words.noWarnings;
      items.push(none);
    }
    list.replaceChildren(...items);
    $('warnings-heading').textContent = warnings.length
      ? fill(words.warningsCount, { count: warnings.length + more }) : words.warningsHeading;
  }

  // One printed page the drawing's size, so Save as PDF gives one page.
  setPrintPage() {
    const { width, height } = this.pane.current();
    if (width && height) {
      this.printSheet.replaceSync(`@page { size: ${width}px ${height}px; margin: 0; }`);
    }
  }

  say(text) {
    $('message').textContent = text;
  }

  // --- Commands --------------------------------------------------------------

  wireCommands() {
    $('new').addEventListener('click', () => this.load({ text: '' }));
    $('open').addEventListener('click', () => this.open());
    $('sample').addEventListener('click', () => this.loadSample());
    $('save').addEventListener('click', () => this.save());
    $('download-svg').addEventListener('click', () => this.downloadSvg());
    for (const button of document.querySelectorAll('button.png')) {
      const scale = Number(button.dataset.scale);
      button.title = fill(words.pngTitle, { scale });
      button.setAttribute('aria-label', `${words.pngLabel} ${fill(words.pngButton, { scale })}`);
      button.addEventListener('click', () => this.downloadPng(scale));
    }
    $('print').addEventListener('click', () => window.print());
    $('share').addEventListener('click', () => this.share());
    $('fit').addEventListener('click', () => this.pane.fit());
    $('zoom-in').addEventListener('click', () => this.pane.zoomBy(1.25));
    $('zoom-out').addEventListener('click', () => this.pane.zoomBy(0.8));
    $('actual-size').addEventListener('click', () => this.pane.setZoom(1));
    // The page's keys, wherever the focus is (the editor's keys reach the
    // document too).
    document.addEventListener('keydown', (event) => {
      const mod = event.ctrlKey || event.metaKey;
      if (!mod || event.altKey || event.defaultPrevented) return;
      const key = event.key.toLowerCase();
      if (key === 'o' && !event.shiftKey) {
        event.preventDefault();
        this.open();
      } else if (key === 's' && !event.shiftKey) {
        event.preventDefault();
        this.save();
      } else if (document.activeElement === $('drawing')) {
        const zoom = { '=': 1.25, '+': 1.25, '-': 0.8, '0': 0 }[key];
        if (zoom === undefined) return;
        event.preventDefault();
        if (zoom === 0) this.pane.setZoom(1); else this.pane.zoomBy(zoom);
      }
    });
  }

  wireDrop() {
    const overlay = $('drop-overlay');
    let depth = 0;
    const hasFiles = (event) => [...(event.dataTransfer?.types ?? [])].includes('Files');
    document.addEventListener('dragenter', (event) => {
      if (!hasFiles(event)) return;
      depth += 1;
      overlay.hidden = false;
    });
    document.addEventListener('dragleave', () => {
      depth = Math.max(0, depth - 1);
      if (depth === 0) overlay.hidden = true;
    });
    document.addEventListener('dragover', (event) => {
      if (!hasFiles(event)) return;
      event.preventDefault();
      event.dataTransfer.dropEffect = 'copy';
    });
    document.addEventListener('drop', async (event) => {
      depth = 0;
      overlay.hidden = true;
      if (!hasFiles(event)) return;
      event.preventDefault();
      const item = [...event.dataTransfer.items].find((i) => i.kind === 'file');
      const file = event.dataTransfer.files[0];
      if (!file) return;
      const handle = await handleOfDrop(item);
      await this.openFile(file, handle);
    }, true);
  }

  async open() {
    const chosen = await chooseFile($('file-input'));
    if (chosen) await this.openFile(chosen.file, chosen.handle);
  }

  async openFile(file, handle) {
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      this.say(fill(words.openFailed, { name: file.name, reason: error.message || error.name }));
      return;
    }
    const text = decodeDescription(bytes);
    await this.load({ text, name: file.name, bytes, handle, lineBreak: lineBreakOf(text) });
    this.say(fill(words.opened, { name: file.name }));
  }

  loadSample() {
    const text = this.core.sampleDescription();
    return this.load({ text, name: 'sample_flowchart.txt', bytes: encoder.encode(text) });
  }

  // The description as UTF-8 without a byte-order mark, with the line
  // breaks of the file it came from.
  descriptionBytes() {
    const text = this.editor.getText();
    return encoder.encode(this.doc.lineBreak === '\n' ? text : text.replace(/\n/g, this.doc.lineBreak));
  }

  async save() {
    const name = this.doc.name || fileNames.description;
    const saved = await this.mode.save(this.descriptionBytes(), { name, handle: this.doc.handle });
    if (saved) this.say(saved);
  }

  downloadSvg() {
    if (!this.result) return;
    const name = outputName(this.doc.name || fileNames.description);
    let bytes = this.result.svgBytes;
    if ($('accessible').checked) {
      // The same drawing with its title and reading for screen readers.
      const text = this.editor.getText();
      const input = this.doc.bytes && text === this.doc.text ? this.doc.bytes : text;
      try {
        bytes = this.core.convert(input, { accessible: true }).svgBytes;
      } catch (error) {
        if (!(error instanceof OutOfMemoryError)) throw error;
        this.say(words.outOfMemory);
        return;
      }
    }
    download(bytes, name, 'image/svg+xml');
    this.say(fill(words.downloaded, { name }));
  }

  // The drawing as a PNG at scale times its size, as a Blob.
  async pngBlob(scale) {
    if (!this.result) throw new Error('no drawing yet');
    const { width, height } = this.pane.current();
    const w = width * scale;
    const h = height * scale;
    if (w > MAX_CANVAS_SIDE || h > MAX_CANVAS_SIDE || w * h > MAX_CANVAS_AREA) {
      const error = new Error(fill(words.pngTooLarge, { scale, width: w, height: h }));
      error.name = 'TooLarge';
      throw error;
    }
    const canvas = document.createElement('canvas');
    canvas.width = w;
    canvas.height = h;
    const image = await drawingImage(this.result.svgBytes);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0, w, h);
    const blob = await new Promise((resolve) => canvas.toBlob(resolve, 'image/png'));
    if (!blob) throw new Error('the browser made no image');
    return blob;
  }

  async downloadPng(scale) {
    try {
      const blob = await this.pngBlob(scale);
      const name = outputName(this.doc.name || fileNames.description,
        scale === 1 ? '.png' : `@${scale}x.png`);
      download(blob, name, 'image/png');
      this.say(fill(words.downloaded, { name }));
    } catch (error) {
      this.say(error.name === 'TooLarge' ? error.message
        : fill(words.pngFailed, { reason: error.message }));
    }
  }

  async share() {
    const link = await this.mode.shareLink(this.editor.getText());
    const panel = $('share-panel');
    const field = $('share-link');
    panel.hidden = false;
    field.value = link;
    field.focus();
    field.select();
    let copied = false;
    try {
      await navigator.clipboard.writeText(link);
      copied = true;
    } catch {
      // No clipboard here (permission, an old browser): the field is selected.
    }
    this.say(fill(copied ? words.linkReady : words.linkShown, { length: link.length }));
  }
}
