// The npm package flowsvg: the converter of Flowchart SVG Generator in
// WebAssembly, as an ES module for Node and browsers. The module starts the
// converter when it is imported (top-level await), so both functions are
// synchronous:
//   convert(description, { timestamp, accessible }) -> { svg, warnings, moreWarnings, sections, items }
//   sampleDescription() -> the sample description
// (See README.md beside this file.)
import createModule from 'flowsvg-core-module';
import wasmBytes from 'flowsvg-core-wasm';
import { startCore, isValidTimestamp, OutOfMemoryError } from '../src/core.js';

const core = await startCore(createModule, wasmBytes);

// description: a string, or a Uint8Array with a file's bytes as they are.
// options.timestamp: the drawing's time line, "YYYY-MM-DD HH:MM:SS"; left
// out or empty, the current local time. options.accessible: true gives the
// SVG a title and a description that reads the chart for screen readers.
export function convert(description, options = {}) {
  const { svg, warnings, moreWarnings, sections, items } = core.convert(description, options);
  return { svg, warnings, moreWarnings, sections, items };
}

export function sampleDescription() {
  return core.sampleDescription();
}

export { isValidTimestamp, OutOfMemoryError };
