// The engine's worker: the WebAssembly module runs here, so that a Solve or
// an analysis of millions of values never holds up the page. One message in,
// one message out (with progress messages between); the page cancels by
// ending the worker and starting a new one.
/* global importScripts, createQuillEngine, createQuillAnalysis */
importScripts('quill_engine.js');

const ready = createQuillEngine();
let session = null;
// The analysis' module (GMP, FLINT, Arb), loaded on the first analysis.
let analysis = null;

function analysisModule() {
  if (!analysis) {
    importScripts('quill_analysis.js');
    analysis = createQuillAnalysis();
  }
  return analysis;
}

const calls = {
  solve(engine, { coefficients, x, mark }) {
    return session.solve(coefficients, x, mark, (permille) => postMessage({ progress: permille }));
  },
  async analyse(engine, { mark }) {
    const module = await analysisModule();
    const lists = session.lists();
    const found = module.analyse(lists.coefficients, lists.x, lists.fx, mark, (permille) => postMessage({ progress: permille }));
    return found.ok ? { ...found, ...lists } : found;
  },
  csv() {
    return { text: session.csvTable() };
  },
  load(engine, { bytes, name }) {
    return engine.loadListFile(new Uint8Array(bytes), name);
  },
  save(engine, { text, charset, mark }) {
    return { bytes: engine.saveListFile(text, charset, mark) };
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
  const transfer = reply && reply.bytes ? [reply.bytes.buffer] : [];
  postMessage({ done: true, reply }, transfer);
};
