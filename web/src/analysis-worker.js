// The analysis' worker: roots, turning points and correct digits of a
// Solve's lists, in a WebAssembly module of its own (GMP, FLINT, Arb) that
// is fetched on the first analysis. Apart from the engine's worker, so that
// cancelling an analysis leaves the engine and its kept lists alone.
/* global importScripts, createQuillAnalysis */
let analysis = null;

onmessage = async ({ data: { lists, mark } }) => {
  let reply;
  try {
    if (!analysis) {
      importScripts('quill_analysis.js');
      analysis = createQuillAnalysis();
    }
    const module = await analysis;
    const progress = (permille) => postMessage({ progress: permille });
    reply = module.analyse(lists.coefficients, lists.x, lists.fx, mark, progress);
    if (reply.ok) Object.assign(reply, lists);
  } catch (error) {
    reply = { ok: false, kind: 'error', message: String(error && error.message ? error.message : error) };
  }
  postMessage({ done: true, reply });
};
