// The page served by flowsvg --serve (and the window's Preview) for one
// description file on disk: the page shows the file's text and drawing,
// follows every save of the file (Server-Sent Events from /events), and
// saves the editor's text back into the file (PUT /description).
//
// The server hands out the file's bytes with an ETag, a hash of them. A save
// names the ETag of the bytes the page last loaded (If-Match) and the key
// of the address's fragment (#key=..., which the browser sends to no
// server); the server refuses it (412) when the file changed on disk since.
// The page then says so and offers to reload the file (the edits go) or to
// replace it with the edits.
//
// A save on disk while the editor holds the file's text as loaded reloads
// the page's text at once; while it holds unsaved edits, the edits stay and
// the page says that the file changed.
import { words, fill } from './wording.js';
import { decodeDescription, lineBreakOf } from './files.js';
import { shareFragment } from './share.js';

const $ = (id) => document.getElementById(id);

// The key of the address's fragment: "#key=" and 32 hex digits.
export function keyOfFragment(hash) {
  const m = /^#key=([0-9a-f]{32})$/.exec(hash);
  return m ? m[1] : '';
}

export function createFileMode() {
  const key = keyOfFragment(window.location.hash);
  let page = null;
  let tag = '';          // the ETag of the bytes last loaded or saved
  let loadedText = '';   // their text as the editor holds it (LF)
  let saving = null;     // the save under way, a promise
  let heldBack = '';     // an ETag announced while a save was under way
  let warnedTag = '';    // the change already told about

  async function fetchDescription() {
    const answer = await fetch('/description', { cache: 'no-store' });
    if (!answer.ok) {
      throw new Error(`${answer.status} ${(await answer.text()).trim() || answer.statusText}`);
    }
    const bytes = new Uint8Array(await answer.arrayBuffer());
    const text = decodeDescription(bytes);
    return { tag: answer.headers.get('ETag') ?? '', doc: { text, bytes, lineBreak: lineBreakOf(text) } };
  }

  function held(doc) {
    return doc.text.replace(/\r\n?/g, '\n');
  }

  // Shows the file as it is on disk now, the editor's edits dropped.
  async function reload() {
    hideConflict();
    let loaded;
    try {
      loaded = await fetchDescription();
    } catch (error) {
      page.say(fill(words.fileLoadFailed, { reason: error.message }));
      return;
    }
    tag = loaded.tag;
    loadedText = held(loaded.doc);
    warnedTag = '';
    await page.load(loaded.doc);
    page.say(words.fileReloaded);
  }

  // The event stream announced the file's tag: a change unless it is the
  // one the page holds (its own save, or the first event of the stream).
  async function announced(newTag) {
    if (saving) {
      heldBack = newTag;  // looked at once the save is answered
      return;
    }
    if (newTag === tag || newTag === warnedTag) return;
    if (page.editor.getText() === loadedText) {
      await reload();
    } else {
      warnedTag = newTag;
      page.say(words.fileChangedWhileEditing);
    }
  }

  function showConflict() {
    $('conflict-text').textContent = words.saveConflict;
    $('conflict').hidden = false;
    $('conflict-reload').focus();
  }
  function hideConflict() {
    $('conflict').hidden = true;
  }

  async function put(bytes, ifMatch) {
    const answer = await fetch('/description', {
      method: 'PUT',
      cache: 'no-store',
      headers: { 'X-Flowsvg-Key': key, 'If-Match': ifMatch, 'Content-Type': 'text/plain;charset=utf-8' },
      body: bytes,
    });
    return answer;
  }

  async function saveWith(bytes, ifMatch) {
    const text = page.editor.getText();
    let answer;
    try {
      answer = await put(bytes, ifMatch);
    } catch (error) {
      return fill(words.fileSaveFailed, { reason: error.message });
    }
    if (answer.status === 204) {
      tag = answer.headers.get('ETag') ?? '';
      loadedText = text;
      warnedTag = '';
      hideConflict();
      return words.fileSaved;
    }
    if (answer.status === 412) {
      showConflict();
      return words.saveConflict;
    }
    if (answer.status === 403) return words.fileKeyRefused;
    const reason = `${answer.status} ${(await answer.text()).trim() || answer.statusText}`;
    return fill(words.fileSaveFailed, { reason });
  }

  // Runs one save at a time; the events that came meanwhile are looked at
  // after it.
  async function serialised(work) {
    while (saving) await saving;
    const run = work();
    saving = run;
    try {
      return await run;
    } finally {
      saving = null;
      const announcedMeanwhile = heldBack;
      heldBack = '';
      if (announcedMeanwhile) announced(announcedMeanwhile);
    }
  }

  return {
    async initialDocument() {
      let loaded;
      try {
        loaded = await fetchDescription();
      } catch (error) {
        // Not there yet (flowsvg waits for it too): shown empty, and loaded
        // as soon as the event stream tells of it.
        return { doc: { text: '' }, message: fill(words.fileLoadFailed, { reason: error.message }) };
      }
      tag = loaded.tag;
      loadedText = held(loaded.doc);
      return { doc: loaded.doc, message: key ? '' : words.fileNoKey };
    },

    attach(thePage) {
      page = thePage;
      $('save').title = words.fileSaveTitle;
      $('conflict-reload').addEventListener('click', () => reload());
      $('conflict-replace').addEventListener('click', async () => {
        // The edits over what the file holds now, whatever that is.
        const saved = await serialised(async () => {
          let current;
          try {
            current = await fetchDescription();
          } catch (error) {
            return fill(words.fileSaveFailed, { reason: error.message });
          }
          return saveWith(page.descriptionBytes(), current.tag);
        });
        page.say(saved);
      });
      const events = new EventSource('/events');
      events.addEventListener('change', (event) => announced(event.data));
      events.addEventListener('error', () => {
        // The browser reconnects by itself while the server runs; once it
        // is gone (flowsvg ended), the page says so.
        if (events.readyState === EventSource.CLOSED) page.say(words.fileServerGone);
      });
    },

    textChanged() {},

    // Saves the editor's text into the file; resolves to the message to show.
    save(bytes) {
      return serialised(() => saveWith(bytes, tag));
    },

    async shareLink(text) {
      return window.location.href.split('#')[0] + await shareFragment(text);
    },
  };
}
