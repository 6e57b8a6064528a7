// A Solve's texts across the module's memory: the panes' texts written in as
// UTF-8 where the session keeps them, and the report taken out in pieces,
// each copied once, never a byte at a time in JavaScript.
const encoder = new TextEncoder();

// Writes a pane's text (0: coefficients, 1: x values) into the session.
export function putText(session, pane, text) {
  // A byte a character first, as most panes are ASCII; room for the longest
  // UTF-8 when that was too little.
  for (let room = text.length; ; room = 3 * text.length) {
    const { read, written } = encoder.encodeInto(text, session.textRoom(pane, room));
    if (read === text.length) {
      session.setTextLength(pane, written);
      return;
    }
  }
}

// The report's pieces, which are views of the module's memory good only
// while the Solve runs, gathered into blocks of up to kBlockBytes that send
// takes as Uint8Arrays of their own (free to be transferred).
const kBlockBytes = 1 << 20;

export class ReportBlocks {
  constructor(send) {
    this.send = send;
    this.block = null;
    this.size = 0;
  }

  add(piece) {
    if (this.size + piece.length > kBlockBytes) this.flush();
    if (piece.length >= kBlockBytes) {
      this.send(piece.slice());
      return;
    }
    if (!this.block) this.block = new Uint8Array(kBlockBytes);
    this.block.set(piece, this.size);
    this.size += piece.length;
  }

  flush() {
    if (this.size > 0) this.send(this.block.subarray(0, this.size));
    this.block = null;
    this.size = 0;
  }
}

// The Solve of two texts, each null for the one the session holds already,
// its report handed to send block by block; the outcome as the session gives it.
export function solveTexts(session, coefficients, x, mark, progress, send) {
  if (coefficients !== null) putText(session, 0, coefficients);
  if (x !== null) putText(session, 1, x);
  const blocks = new ReportBlocks(send);
  const outcome = session.solve(mark, progress, (piece) => blocks.add(piece));
  blocks.flush();
  return outcome;
}
