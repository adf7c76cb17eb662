// The converter in WebAssembly, for the page and the npm package alike.
//
// startCore(createModule, wasmBytes) instantiates the module from bytes it
// is handed (never a fetch) and resolves to an object with:
//   convert(description, { timestamp, accessible }) -> { svg, svgBytes, warnings, moreWarnings, sections, items }
//   sampleDescription() -> the bytes `flowsvg --sample` writes, as a string
// A description is a string (encoded as UTF-8, as a text editor saves it) or
// a Uint8Array holding a file's bytes as they are. The timestamp is the
// drawing's time line, "YYYY-MM-DD HH:MM:SS"; left out or empty, the current
// local time. Every conversion is synchronous and independent of the others.

const TIMESTAMP = /^(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})$/;

// The drawing's calendar: 1970-01-01 00:00:00 to 9999-12-31 23:59:59, the
// times SOURCE_DATE_EPOCH gives the command line.
export function isValidTimestamp(text) {
  const m = TIMESTAMP.exec(text);
  if (!m) return false;
  const [year, month, day, hour, minute, second] = m.slice(1).map(Number);
  if (year < 1970 || month < 1 || month > 12 || day < 1) return false;
  if (hour > 23 || minute > 59 || second > 59) return false;
  const daysInMonth = new Date(Date.UTC(2000, month, 0)).getUTCDate();
  const leap = (year % 4 === 0 && year % 100 !== 0) || year % 400 === 0;
  return day <= (month === 2 ? (leap ? 29 : 28) : daysInMonth);
}

export class OutOfMemoryError extends Error {
  constructor() {
    super('The converter ran out of memory for this description');
    this.name = 'OutOfMemoryError';
  }
}

const encoder = new TextEncoder();
const decoder = new TextDecoder();

export async function startCore(createModule, wasmBytes) {
  // With the bytes and a locateFile the module neither fetches nor looks
  // for a file beside its script.
  const m = await createModule({ wasmBinary: wasmBytes, locateFile: (name) => name });

  // Copies bytes into a block of the module's memory; the caller frees it.
  function put(bytes) {
    const at = m._flowsvg_alloc(bytes.length);
    if (at === 0) throw new OutOfMemoryError();
    m.HEAPU8.set(bytes, at);
    return at;
  }
  // The bytes of a std::string the module holds, copied out.
  function bytesOf(text) {
    const at = m._flowsvg_text_data(text);
    return m.HEAPU8.slice(at, at + m._flowsvg_text_size(text));
  }

  function convert(description, options = {}) {
    const timestamp = options.timestamp ?? '';
    if (typeof timestamp !== 'string' ||
        (timestamp !== '' && !isValidTimestamp(timestamp))) {
      throw new RangeError(
        `timestamp must be "YYYY-MM-DD HH:MM:SS" (a date from 1970 to 9999), not ${JSON.stringify(timestamp)}`);
    }
    let bytes;
    if (typeof description === 'string') {
      bytes = encoder.encode(description);
    } else if (description instanceof Uint8Array) {
      bytes = description;
    } else {
      throw new TypeError('description must be a string or a Uint8Array');
    }
    const stamp = encoder.encode(timestamp);
    const input = put(bytes);
    let when = 0;
    let result = 0;
    try {
      when = put(stamp);
      result = m._flowsvg_convert(input, bytes.length, when, stamp.length,
        options.accessible ? 1 : 0);
    } finally {
      m._flowsvg_free(input);
      if (when !== 0) m._flowsvg_free(when);
    }
    if (result === 0) throw new OutOfMemoryError();
    try {
      const svgBytes = bytesOf(m._flowsvg_result_svg(result));
      const count = m._flowsvg_result_warning_count(result);
      const warnings = new Array(count);
      for (let i = 0; i < count; i++) {
        warnings[i] = {
          line: m._flowsvg_result_warning_line(result, i),
          message: decoder.decode(bytesOf(m._flowsvg_result_warning_message(result, i))),
        };
      }
      return {
        svg: decoder.decode(svgBytes),
        svgBytes,
        warnings,
        moreWarnings: m._flowsvg_result_more_warnings(result),
        sections: m._flowsvg_result_sections(result),
        items: m._flowsvg_result_items(result),
      };
    } finally {
      m._flowsvg_result_free(result);
    }
  }

  function sampleDescription() {
    const text = m._flowsvg_sample();
    if (text === 0) throw new OutOfMemoryError();
    try {
      return decoder.decode(bytesOf(text));
    } finally {
      m._flowsvg_text_free(text);
    }
  }

  return { convert, sampleDescription };
}
