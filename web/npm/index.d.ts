export interface Warning {
  /** 1-based line number, line breaks counted as the converter reads them */
  line: number;
  /** the warning's text, as `flowsvg --check` prints it after "FILE:LINE: warning: " */
  message: string;
}

export interface Result {
  /** the whole SVG document (CR LF line ends) */
  svg: string;
  /** the warnings about the description, in line order: the first 1,000 the
   *  converter gives, as `flowsvg --check` lists them */
  warnings: Warning[];
  /** how many more warnings there were, not listed */
  moreWarnings: number;
  /** band sections read */
  sections: number;
  /** boxes read */
  items: number;
}

export interface Options {
  /** the drawing's time line, "YYYY-MM-DD HH:MM:SS" (1970 to 9999); empty or left out: the current local time */
  timestamp?: string;
  /** true: role="img" and aria-labelledby on the root, a <title> (the chart's title and subtitle) and a <desc> reading each band with its steps and each arrow, for screen readers; left out or false: the plain drawing's bytes */
  accessible?: boolean;
}

/** Draws a description, given as text or as a file's bytes. Throws RangeError for a malformed timestamp. */
export function convert(description: string | Uint8Array, options?: Options): Result;

/** The sample description, the bytes `flowsvg --sample` writes. */
export function sampleDescription(): string;

/** Whether text is a timestamp convert accepts. */
export function isValidTimestamp(text: string): boolean;

/** Thrown when the converter runs out of memory; the module stays usable. */
export class OutOfMemoryError extends Error {}
