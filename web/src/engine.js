// The page's side of the engine's worker: one call at a time, its progress
// and the pieces it sends ahead of its reply, and Cancel, which ends the
// worker and starts a fresh one.

export class Engine {
  constructor(url) {
    this.url = url;
    this.current = null;
    this.start();
  }

  start() {
    this.worker = new Worker(this.url);
    this.worker.onmessage = ({ data }) => {
      const call = this.current;
      if (!call) return;
      if (data.done) {
        this.current = null;
        call.resolve(data.reply);
      } else if (data.piece) {
        call.piece?.(data.piece);
      } else {
        call.progress?.(data.progress);
      }
    };
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
