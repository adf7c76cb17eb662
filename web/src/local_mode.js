// The page on its own (flowsvg.html, the static site): the description is
// kept in the browser's local storage, arrives through share links and
// files the user opens, and leaves as downloads (or, for a file opened
// through the File System Access API, saved in place).
import { words, fill } from './wording.js';
import { readShareFragment, shareFragment } from './share.js';
import { loadKept, keep } from './storage.js';
import { download, saveInPlace } from './files.js';

const KEEP_DELAY_MS = 300;

export function createLocalMode(core) {
  const encoder = new TextEncoder();
  let pending = null;   // text waiting to be kept
  let timer = 0;
  let page = null;
  let storageWarned = false;

  function keepNow() {
    clearTimeout(timer);
    if (pending === null) return;
    const reason = keep(pending);
    pending = null;
    if (reason && !storageWarned) {
      storageWarned = true;
      page?.say(fill(words.storageFailed, { reason }));
    }
  }
  window.addEventListener('pagehide', keepNow);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') keepNow();
  });

  // The document a share link in the address holds, with the message to
  // show; null when the address holds none.
  async function fromAddress() {
    const shared = await readShareFragment(window.location.hash);
    if (shared === null) return null;
    if (shared.error) {
      return {
        message: shared.error === 'version'
          ? fill(words.linkUnknownVersion, { version: shared.version }) : words.linkDamaged,
      };
    }
    // The link has done its work: a reload now shows the kept text, edits
    // included, not the link's text again.
    window.history.replaceState(null, '', window.location.pathname + window.location.search);
    return { doc: { text: shared.text }, message: words.linkRestored };
  }

  return {
    // The first document: a share link's, else the kept one, else the sample.
    async initialDocument() {
      const linked = await fromAddress();
      if (linked?.doc) {
        pending = linked.doc.text;
        keepNow();
        return { doc: linked.doc, message: linked.message };
      }
      const kept = loadKept();
      if (kept !== null) return { doc: { text: kept }, message: linked?.message ?? '' };
      const sample = core.sampleDescription();
      return {
        doc: { text: sample, name: 'sample_flowchart.txt', bytes: encoder.encode(sample) },
        message: linked?.message ?? '',
      };
    },

    attach(thePage) {
      page = thePage;
      window.addEventListener('hashchange', async () => {
        const linked = await fromAddress();
        if (!linked) return;
        if (linked.doc) await page.load(linked.doc);
        page.say(linked.message);
      });
    },

    textChanged(text) {
      pending = text;
      clearTimeout(timer);
      timer = setTimeout(keepNow, KEEP_DELAY_MS);
    },

    // Saves the description's bytes; resolves to the message to show.
    async save(bytes, { name, handle }) {
      let failure = '';
      if (handle) {
        try {
          await saveInPlace(handle, bytes);
          return fill(words.savedInPlace, { name: handle.name });
        } catch (error) {
          if (error.name === 'AbortError') return '';
          // Refused or failed in place: the download below still saves it.
          failure = fill(words.saveFailed, { name: handle.name, reason: error.message || error.name });
        }
      }
      download(bytes, name, 'text/plain;charset=utf-8');
      const done = fill(words.downloaded, { name });
      return failure ? `${failure}. ${done}` : done;
    },

    async shareLink(text) {
      return window.location.href.split('#')[0] + await shareFragment(text);
    },
  };
}
