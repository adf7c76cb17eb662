// Description files in and out of the page: reading the forms of text the
// command line reads, downloads, and saving in place through the File
// System Access API where the browser has it.

const utf8 = new TextDecoder('utf-8');

// The text of a description file's bytes, as the editor shows it: UTF-16
// with its byte-order mark (either order), UTF-8 with or without one.
// Bytes that are not UTF-8 show as U+FFFD; the page converts the file's own
// bytes while its text is unchanged, so the drawing is still the command
// line's.
export function decodeDescription(bytes) {
  if (bytes[0] === 0xff && bytes[1] === 0xfe) {
    return new TextDecoder('utf-16le').decode(bytes.subarray(2));
  }
  if (bytes[0] === 0xfe && bytes[1] === 0xff) {
    return new TextDecoder('utf-16be').decode(bytes.subarray(2));
  }
  if (bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf) {
    return utf8.decode(bytes.subarray(3));
  }
  return utf8.decode(bytes);
}

// The line break a file uses (its first one), to save it back the same way.
export function lineBreakOf(text) {
  const m = /\r\n|\r|\n/.exec(text);
  return m ? m[0] : '\n';
}

// The name of the SVG drawn from a description file, as the command line
// names it: the extension replaced by .svg, or .svg appended to a name
// that already ends in .svg. ext is the new extension with its dot.
export function outputName(inputName, ext = '.svg') {
  const name = inputName || 'flowchart.txt';
  if (ext === '.svg' && /\.svg$/.test(name)) return `${name}.svg`;
  const dot = name.lastIndexOf('.');
  return (dot > 0 ? name.slice(0, dot) : name) + ext;
}

// Offers bytes (or a Blob) as a download under name.
export function download(data, name, type) {
  const blob = data instanceof Blob ? data : new Blob([data], { type });
  const url = URL.createObjectURL(blob);
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  link.hidden = true;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// Asks for a description file. With the File System Access API the file
// comes with a handle to save it in place; otherwise through a file input.
// Resolves to { file, handle } or null when nothing was chosen.
export async function chooseFile(input) {
  if (typeof window.showOpenFilePicker === 'function') {
    try {
      const [handle] = await window.showOpenFilePicker({
        types: [{ description: 'Description files', accept: { 'text/plain': ['.txt', '.ini'] } }],
        excludeAcceptAllOption: false,
      });
      return { file: await handle.getFile(), handle };
    } catch (error) {
      if (error.name === 'AbortError') return null;
      // A browser that has the picker but refuses it here (a file: page in
      // some browsers): the plain file input still works.
    }
  }
  return new Promise((resolve) => {
    input.value = '';
    input.onchange = () => resolve(input.files[0] ? { file: input.files[0], handle: null } : null);
    input.oncancel = () => resolve(null);
    input.click();
  });
}

// Writes bytes into the file behind handle, asking for permission first.
export async function saveInPlace(handle, bytes) {
  if ((await handle.queryPermission({ mode: 'readwrite' })) !== 'granted' &&
      (await handle.requestPermission({ mode: 'readwrite' })) !== 'granted') {
    throw new Error('permission refused');
  }
  const writable = await handle.createWritable();
  await writable.write(bytes);
  await writable.close();
}

// The handle of a dropped file, where the browser gives one.
export async function handleOfDrop(item) {
  if (item && typeof item.getAsFileSystemHandle === 'function') {
    try {
      const handle = await item.getAsFileSystemHandle();
      return handle && handle.kind === 'file' ? handle : null;
    } catch {
      return null;
    }
  }
  return null;
}
