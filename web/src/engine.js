// The page's side of the engine's worker: one call at a time, its progress
// and the pieces it sends ahead of its reply, and Cancel, which ends the
// worker and starts a fresh one.

export class Engine {
  // setup() gives the message a fresh worker is told first, if any.
  constructor(url, { setup } = {}) {
    this.url = url;
    this.setup = setup;
    this.current = null;
    this.start();
  }

  start() {
    // The documents whose texts the worker holds, by pane (a fresh worker
    // holds none).
    this.held = new Map();
    this.worker = new Worker(this.url);
    const first = this.setup?.();
    if (first) this.worker.postMessage(first);
    this.worker.onmessage = ({ data }) => {
      const call = this.current;
      if (!call) return;
      if (data.done) {
        // A call that broke off in the worker (out of memory while a text
        // went in) leaves the texts it holds in doubt.
        if (data.reply?.kind === 'error' && !data.reply.held) this.held.clear();
        this.current = null;
        call.resolve(data.reply);
      } else if (data.piece) {
        call.piece?.(data.piece);
      } else {
        call.progress?.(data.progress);
      }
    };
  }

  // A pane's text to send, or null where the worker holds it already.
  textOf(pane) {
    return this.held.get(pane.name) === pane.doc ? null : pane.text;
  }

  // The worker now holds the text of the pane's document doc.
  hold(pane, doc = pane.doc) {
    this.held.set(pane.name, doc);
  }

  get busy() {
    return this.current !== null;
  }

  // Resolves with the worker's reply; progress(permille) and piece(bytes)
  // are told on the way.
  call(message, { progress, piece } = {}, transfer = []) {
    if (this.current) return Promise.reject(new Error('busy'));
    return new Promise((resolve) => {
      this.current = { resolve, progress, piece };
      this.worker.postMessage(message, transfer);
    });
  }

  // Ends the call under way: it resolves as cancelled.
  cancel() {
    const call = this.current;
    if (!call) return;
    this.worker.terminate();
    this.current = null;
    this.start();
    call.resolve({ ok: false, kind: 'abort', message: '' });
  }
}
