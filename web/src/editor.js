// The description editor: CodeMirror 6 with line numbers, the format's
// colouring, undo, search, and the converter's warnings as underlines whose
// hover shows the message.
//
// The editor lives in a shadow root of its own: CodeMirror then keeps its
// styles in constructed style sheets there, so the page's
// Content-Security-Policy needs no way to allow style elements made at run
// time. Colours come from the page's CSS variables, which cross into the
// shadow root, so the editor follows the light or dark setting with the
// rest of the page.
import { EditorState } from '@codemirror/state';
import {
  EditorView, keymap, lineNumbers, highlightActiveLine, highlightActiveLineGutter,
  highlightSpecialChars, drawSelection,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { HighlightStyle, syntaxHighlighting } from '@codemirror/language';
import { searchKeymap, highlightSelectionMatches } from '@codemirror/search';
import { lintKeymap, setDiagnostics, lintGutter } from '@codemirror/lint';
import { tags } from '@lezer/highlight';
import { descriptionLanguage } from './description_language.js';

const colours = HighlightStyle.define([
  { tag: tags.heading, color: 'var(--syntax-section)', fontWeight: 'bold' },
  { tag: tags.keyword, color: 'var(--syntax-keyword)' },
  { tag: tags.propertyName, color: 'var(--syntax-key)' },
  { tag: tags.operator, color: 'var(--syntax-operator)' },
  { tag: tags.string, color: 'var(--syntax-value)' },
  { tag: tags.comment, color: 'var(--syntax-comment)', fontStyle: 'italic' },
  { tag: tags.invalid, color: 'var(--syntax-invalid)' },
]);

const look = EditorView.theme({
  '&': {
    height: '100%',
    color: 'var(--text)',
    backgroundColor: 'var(--editor-background)',
    fontSize: '14px',
  },
  '&.cm-focused': { outline: '2px solid var(--focus)', outlineOffset: '-2px' },
  '.cm-scroller': { fontFamily: 'var(--mono)', lineHeight: '1.45' },
  '.cm-content': { caretColor: 'var(--text)' },
  '.cm-cursor, .cm-dropCursor': { borderLeftColor: 'var(--text)' },
  '.cm-gutters': {
    backgroundColor: 'var(--gutter-background)',
    color: 'var(--muted)',
    borderRight: '1px solid var(--border)',
  },
  '.cm-activeLine': { backgroundColor: 'var(--active-line)' },
  '.cm-activeLineGutter': { backgroundColor: 'var(--active-line)' },
  '&.cm-focused > .cm-scroller > .cm-selectionLayer .cm-selectionBackground, .cm-selectionBackground, ::selection':
    { backgroundColor: 'var(--selection)' },
  '.cm-tooltip': {
    backgroundColor: 'var(--panel-background)',
    color: 'var(--text)',
    border: '1px solid var(--border)',
  },
  '.cm-panels': { backgroundColor: 'var(--panel-background)', color: 'var(--text)' },
  '.cm-lintRange-warning': {
    backgroundImage: 'none',
    textDecoration: 'underline wavy var(--warning)',
    textDecorationSkipInk: 'none',
    textUnderlineOffset: '3px',
  },
  '.cm-diagnostic-warning': { borderLeftColor: 'var(--warning)' },
});

// Makes the editor inside host (an element the page owns). onChange(text)
// hears of every change of the text, from typing or from setText.
export function createEditor(host, { text, label, onChange }) {
  const root = host.attachShadow({ mode: 'open' });
  const view = new EditorView({
    root,
    parent: root,
    state: EditorState.create({
      doc: text,
      extensions: [
        lineNumbers(),
        highlightActiveLineGutter(),
        highlightSpecialChars(),
        history(),
        drawSelection(),
        highlightActiveLine(),
        highlightSelectionMatches(),
        descriptionLanguage,
        syntaxHighlighting(colours),
        lintGutter(),
        look,
        EditorView.lineWrapping,
        EditorView.contentAttributes.of({ 'aria-label': label }),
        keymap.of([...defaultKeymap, ...historyKeymap, ...searchKeymap, ...lintKeymap]),
        EditorView.updateListener.of((update) => {
          if (update.docChanged) onChange(update.state.doc.toString());
        }),
      ],
    }),
  });

  return {
    view,
    getText: () => view.state.doc.toString(),
    // Replaces the whole text as one change that undo takes back.
    setText(next) {
      view.dispatch({
        changes: { from: 0, to: view.state.doc.length, insert: next },
        selection: { anchor: 0 },
        scrollIntoView: true,
      });
    },
    // Underlines the lines the warnings name ({ line, message }); a line
    // past the end (the converter counts a 0x00 byte as a line break, the
    // editor does not) marks the last line.
    showWarnings(warnings) {
      const doc = view.state.doc;
      const diagnostics = warnings.map(({ line, message }) => {
        const at = doc.line(Math.min(Math.max(line, 1), doc.lines));
        return { from: at.from, to: at.to, severity: 'warning', message };
      });
      view.dispatch(setDiagnostics(view.state, diagnostics));
    },
    // Puts the cursor at the start of the line, scrolled into view.
    goToLine(line) {
      const doc = view.state.doc;
      const at = doc.line(Math.min(Math.max(line, 1), doc.lines));
      view.dispatch({ selection: { anchor: at.from, head: at.to }, scrollIntoView: true });
      view.focus();
    },
    focus: () => view.focus(),
  };
}
