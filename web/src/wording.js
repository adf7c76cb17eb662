// Every text the browser page shows, in one place (the programs' own texts
// live in src/text/wording.h; the two share the status line's words and the
// warnings, which come from the converter itself).

export const words = {
  pageTitle: 'Flowchart SVG Generator',
  appName: 'Flowchart SVG Generator',

  newButton: 'New',
  newTitle: 'Start an empty description',
  openButton: 'Open…',
  openTitle: 'Open a description file (Ctrl+O); a file dropped on the page opens too',
  sampleButton: 'Sample',
  sampleTitle: 'Load the sample description',
  saveButton: 'Save description',
  saveTitle: 'Save the description as a UTF-8 text file (Ctrl+S)',
  svgButton: 'Download SVG',
  svgTitle: 'Download the drawing as an SVG file, the same bytes as the flowsvg command writes',
  accessibleLabel: 'accessible',
  accessibleTitle: 'Download SVG gives the drawing a title and a description that reads the chart for screen readers',
  pngLabel: 'PNG',
  pngButton: '{scale}x',
  pngTitle: 'Download the drawing as a PNG image at {scale} times its size',
  printButton: 'Print',
  printTitle: 'Print the drawing alone (Save as PDF in the print dialog gives a one-page PDF)',
  shareButton: 'Share link',
  shareTitle: 'Make a link that holds the whole description; nothing is sent anywhere',

  fitButton: 'Fit',
  fitTitle: 'Fit the drawing into the view',
  zoomOutButton: '−',
  zoomOutTitle: 'Zoom out (Ctrl+minus, or Ctrl+wheel)',
  zoomInButton: '+',
  zoomInTitle: 'Zoom in (Ctrl+plus, or Ctrl+wheel)',
  actualSizeButton: '100 %',
  actualSizeTitle: 'Show the drawing at its own size (Ctrl+0)',
  zoomLevel: '{percent} %',

  editorLabel: 'Flowchart description',
  drawingLabel: 'Drawing',
  drawingName: 'Process Flowchart',        // the drawing's own title line
  drawingNameWithSubtitle: '{title}: {subtitle}',
  warningsHeading: 'Warnings',
  warningsCount: 'Warnings ({count})',
  noWarnings: 'No warnings: every line has its effect.',
  warningItem: 'Line {line}: {message}',
  moreWarnings: '{n} more warnings are not shown',
  summary: 'Sections: {sections}, Items: {items}',

  loading: 'Loading the converter…',
  dropHere: 'Drop a description file to open it',
  opened: 'Opened {name}',
  openFailed: 'Cannot open {name} ({reason})',
  savedInPlace: 'Saved {name}',
  saveFailed: 'Cannot save {name} ({reason})',
  downloaded: 'Downloaded {name}',
  pngTooLarge: 'The drawing is too large for a PNG at {scale}x ({width} x {height} pixels); try a smaller scale',
  pngFailed: 'The PNG could not be made ({reason})',
  outOfMemory: 'The converter ran out of memory for this description; the drawing shown is the last one it could make',
  linkReady: 'Link copied: it holds the whole description ({length} characters)',
  linkShown: 'Copy this link: it holds the whole description ({length} characters)',
  linkLabel: 'Share link',
  linkRestored: 'Description restored from the link',
  linkDamaged: 'The link in the address cannot be read (it is cut short or damaged); the description was left as it was',
  linkUnknownVersion: 'The link was made by a newer version of this page ({version}); the description was left as it was',
  // The page served by flowsvg --serve for a file on disk.
  saveConflict: 'Not saved: the file was changed on disk since this page loaded it. Reload it (your edits are dropped) or replace it with your edits',
  conflictReload: 'Reload from disk',
  conflictReplace: 'Replace the file',
  fileSaveTitle: 'Save the description into the file flowsvg serves (Ctrl+S)',
  fileSaved: 'Saved into the file',
  fileReloaded: 'Reloaded: the file was saved on disk',
  fileChangedWhileEditing: 'The file was changed on disk; your edits here are not saved yet',
  fileSaveFailed: 'Cannot save into the file ({reason})',
  fileLoadFailed: 'Cannot read the file ({reason})',
  fileKeyRefused: 'Not saved: the address lacks the key that flowsvg printed; open the address it printed',
  fileNoKey: 'This address lacks the key that flowsvg printed: the page shows the file but cannot save it',
  fileServerGone: 'flowsvg no longer serves this file: the page shows it as it was',
  storageFailed: 'The description cannot be kept in this browser ({reason}); save it before you leave',
};

// Fills {name} fields of a text.
export function fill(text, values) {
  return text.replace(/\{(\w+)\}/g, (whole, name) =>
    Object.prototype.hasOwnProperty.call(values, name) ? String(values[name]) : whole);
}

// The name a description without a file of its own is saved under; its
// drawings are named after it as the command line names them
// (flowchart.svg, flowchart.png, flowchart@2x.png).
export const fileNames = {
  description: 'flowchart.txt',
};
