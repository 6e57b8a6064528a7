// The engine's worker: the WebAssembly module runs here, so that a Solve of
// millions of values never holds up the page. One message in, one message
// out (with progress and report pieces between); the page cancels by ending
// the worker and starting a new one.
/* global importScripts, createQuillEngine */
import { solveTexts } from './solve-texts.js';

importScripts('quill_engine.js');

const ready = createQuillEngine();
let session = null;

const calls = {
  // The report, posted block by block as it is written, and the lists for
  // the analysis.
  solve(engine, { coefficients, x, mark }) {
    const outcome = solveTexts(session, coefficients, x, mark, (permille) => postMessage({ progress: permille }),
      (block) => postMessage({ piece: block }, [block.buffer]));
    return outcome.ok ? { ...outcome, lists: session.lists() } : outcome;
  },
  csv() {
    return { text: session.csvTable() };
  },
  load(engine, { bytes, name }) {
    return engine.loadListFile(new Uint8Array(bytes), name);
  },
  save(engine, { text, charset, mark }) {
    return engine.saveListFile(text, charset, mark);
  },
  fill(engine, { from, to, count, mark }) {
    return { ...engine.fillRange(from, to, count, mark), most: engine.mostRangeValues };
  },
  numberTexts(engine, { values, mark }) {
    return { texts: Array.from(values, (v) => engine.numberText(v, mark)) };
  },
};

onmessage = async ({ data }) => {
  const engine = await ready;
  if (!session) session = new engine.Session();
  let reply;
  try {
    reply = await calls[data.call](engine, data);
  } catch (error) {
    // Out of memory, or a fault: the page shows it as any other error.
    reply = { ok: false, kind: 'error', message: String(error && error.message ? error.message : error) };
  }
  const transfer = [];
  if (reply && reply.bytes) transfer.push(reply.bytes.buffer);
  if (reply && reply.lists) transfer.push(...Object.values(reply.lists).map((a) => a.buffer));
  postMessage({ done: true, reply }, transfer);
};
