// A report made into the editor's document as the worker sends it, block by
// block while the worker still formats the rest, so that a million lines
// are never split in one go on the page's thread.
import { Text } from '@codemirror/state';

export class ReportText {
  constructor() {
    this.doc = Text.empty;
    this.decoder = new TextDecoder();
  }

  // A block of UTF-8 bytes, whole lines each ending in CR LF (the engine
  // writes no other break): its last line, after the final break, is the
  // empty line the next block's first line joins.
  add(bytes) {
    const lines = this.decoder.decode(bytes).split('\r\n');
    this.doc = this.doc.replace(this.doc.length, this.doc.length, Text.of(lines));
  }

  // The report's own text, CR LF between lines.
  toString() {
    return this.doc.sliceString(0, this.doc.length, '\r\n');
  }
}
