// Colouring of the description format for the editor: section lines,
// keys, the "=", values and comments, read line by line as the converter
// reads them (spaces trimmed at both ends; "#" or ";" first makes a
// comment; "[name]" a section line; the first "=" splits key and value).
// The item keys the format gives a meaning (itemid, fromid, title, image)
// and the keys of [Header] and [Summary] are coloured as keywords.
import { StreamLanguage } from '@codemirror/language';

const ITEM_KEYS = new Set(['itemid', 'fromid', 'title', 'image']);
const SECTION_KEYS = {
  Header: new Set(['subtitle', 'company']),
  Summary: new Set(['text']),
};

// A line's part as trimmed of spaces only (tabs stay, as the converter keeps them).
function trimSpaces(text) {
  return text.replace(/^ +| +$/g, '');
}

export const descriptionLanguage = StreamLanguage.define({
  name: 'flowchart-description',
  startState: () => ({ section: '', part: 'start' }),
  copyState: (state) => ({ ...state }),
  token(stream, state) {
    if (stream.sol()) {
      state.part = 'start';
      const line = trimSpaces(stream.string);
      if (line === '') {
        stream.skipToEnd();
        return null;
      }
      if (line[0] === '#' || line[0] === ';') {
        stream.skipToEnd();
        return 'comment';
      }
      if (line[0] === '[' && line[line.length - 1] === ']') {
        state.section = line.slice(1, -1);
        stream.skipToEnd();
        return 'heading';
      }
      const equals = stream.string.indexOf('=');
      if (equals < 0) {
        stream.skipToEnd();
        return 'invalid';
      }
      state.part = 'key';
    }
    if (state.part === 'key') {
      const equals = stream.string.indexOf('=', stream.pos);
      if (stream.pos < equals) {
        const key = trimSpaces(stream.string.slice(stream.pos, equals));
        stream.pos = equals;
        const known = SECTION_KEYS[state.section];
        return (known ? known.has(key) : ITEM_KEYS.has(key)) ? 'keyword' : 'propertyName';
      }
      stream.next();
      state.part = 'value';
      return 'operator';
    }
    stream.skipToEnd();
    return state.part === 'value' ? 'string' : null;
  },
  languageData: { commentTokens: { line: '#' } },
});
