// The engine's worker: the WebAssembly module runs here, so that a Solve of
// millions of values never holds up the page. One message in, one message
// out (with progress and report pieces between); the page cancels by ending
// the worker and starting a new one.
/* global importScripts, createQuillEngine */
import { putText, solveTexts } from './solve-texts.js';

importScripts('quill_engine.js');

const ready = createQuillEngine();
let session = null;

// The panes whose texts the session holds between calls, and where: a pane
// loaded, filled or solved here need not send its text again.
const kRooms = { MemoAN: 0, MemoX: 1 };
function hold(outcome, pane) {
  if (outcome.ok && pane in kRooms) {
    putText(session, kRooms[pane], outcome.text);
    outcome.held = true;
  }
  return outcome;
}

const calls = {
  // The report, posted block by block as it is written, and the lists kept
  // after it (a failed Solve may keep some of its own); a text that is null
  // is the one the session holds.
  solve(engine, { coefficients, x, mark }) {
    const outcome = solveTexts(session, coefficients, x, mark, (permille) => postMessage({ progress: permille }),
      (block) => postMessage({ piece: block }, [block.buffer]));
    return { ...outcome, held: true, lists: session.lists() };
  },
  csv() {
    return { text: session.csvTable() };
  },
  load(engine, { bytes, name, pane }) {
    return hold(engine.loadListFile(new Uint8Array(bytes), name), pane);
  },
  save(engine, { text, charset, mark }) {
    return engine.saveListFile(text, charset, mark);
  },
  fill(engine, { from, to, count, mark }) {
    return hold({ ...engine.fillRange(from, to, count, mark), most: engine.mostRangeValues }, 'MemoX');
  },
  numberTexts(engine, { values, mark }) {
    return { texts: Array.from(values, (v) => engine.numberText(v, mark)) };
  },
};

onmessage = async ({ data }) => {
  const engine = await ready;
  if (!session) session = new engine.Session();
  // The kept lists of the worker before this one, told ahead of any call;
  // nothing is posted back.
  if (data.call === 'restore') {
    session.restore(data.lists.coefficients, data.lists.x, data.lists.fx);
    return;
  }
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
