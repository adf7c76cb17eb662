// Keeps the description in the browser's local storage, so that it
// survives a reload or a closed tab. Nothing leaves the browser.

const KEY = 'flowsvg.description.v1';

// The kept description, or null when there is none (or storage is off).
export function loadKept() {
  try {
    return window.localStorage.getItem(KEY);
  } catch {
    return null;
  }
}

// Keeps text; returns '' or the reason it could not be kept (storage full
// or turned off).
export function keep(text) {
  try {
    window.localStorage.setItem(KEY, text);
    return '';
  } catch (error) {
    return error && error.name ? error.name : String(error);
  }
}
