// The three panes: CodeMirror editors, which keep a million lines each
// responsive by drawing only the rows in view.
import { EditorState, Text } from '@codemirror/state';
import { EditorView, keymap, lineNumbers, highlightActiveLine } from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';

export class Pane {
  // host: the element the editor goes into; its id is the pane's name.
  constructor(host, { label, extraKeys = [] }) {
    this.name = host.id;
    this.encoding = { charset: 0, mark: false };  // UTF-8 until a file is loaded
    this.label = label;
    this.extraKeys = extraKeys;
    this.view = new EditorView({ parent: host, state: this.state('') });
  }

  state(text) {
    return EditorState.create({
      doc: text,
      extensions: [
        keymap.of([...this.extraKeys, ...defaultKeymap, ...historyKeymap]),
        history(),
        lineNumbers(),
        highlightActiveLine(),
        EditorView.contentAttributes.of({ 'aria-label': this.label(), 'aria-multiline': 'true' }),
      ],
    });
  }

  get doc() {
    return this.view.state.doc;
  }

  get text() {
    return this.doc.toString();
  }

  // Replaces the text, a string or a document (undo starts afresh, as
  // after a load on the desktop).
  setText(text) {
    this.view.setState(this.state(text));
  }

  // A document (the report) below what the pane holds, on lines of its own.
  append(text) {
    const doc = this.view.state.doc;
    const lastEmpty = doc.line(doc.lines).length === 0;
    const insert = lastEmpty ? text : Text.of(['', '']).append(text);
    this.view.dispatch({ changes: { from: doc.length, insert } });
  }

  clear() {
    this.view.dispatch({ changes: { from: 0, to: this.view.state.doc.length, insert: '' } });
  }

  // Selects line i (from 0), the caret at its start, and shows it.
  selectLine(i) {
    const doc = this.view.state.doc;
    if (i < 0 || i >= doc.lines) return;
    const line = doc.line(i + 1);
    this.view.dispatch({ selection: { anchor: line.to, head: line.from }, scrollIntoView: true });
    this.view.focus();
  }

  // The accessible name follows the language.
  relabel() {
    this.view.contentDOM.setAttribute('aria-label', this.label());
  }

  focus() {
    this.view.focus();
  }
}
