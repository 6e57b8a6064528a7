// The browser edition's engine under node: every golden report the page can
// make, byte for byte, and the errors it names, through the WebAssembly
// build; list files saved back as they were loaded.
//   node engine_check.mjs ENGINE_JS GOLDEN_DIR DATA_DIR
import { createRequire } from 'node:module';
import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import test from 'node:test';
import assert from 'node:assert/strict';
import { solveTexts } from '../../web/src/solve-texts.js';

const [engineJs, goldenDir, dataDir] = process.argv.slice(2).map((p) => resolve(p));
// A module and its .wasm beside it, given as bytes: emscripten's own loader
// would fetch() a file path under node 18 and later.
const instantiate = (js) => createRequire(import.meta.url)(js)({ wasmBinary: readFileSync(js.replace(/\.js$/, '.wasm')) });
const engine = await instantiate(engineJs);

// A Solve as the page's worker makes it, its report gathered from the blocks.
function solve(session, coefficients, x, mark) {
  const blocks = [];
  const outcome = solveTexts(session, coefficients, x, mark, undefined, (block) => blocks.push(Buffer.from(block)));
  return { ...outcome, report: Buffer.concat(blocks) };
}

// A list file as the page loads it: through the engine's file rules.
function load(path) {
  const outcome = engine.loadListFile(readFileSync(path), path.split('/').pop());
  assert.ok(outcome.ok, `${path}: ${outcome.message}`);
  return outcome.text;
}

// The golden cases the page can make: both lists from files, the report
// layout, any decimal mark.
function pageCases() {
  const cases = [];
  for (const file of readdirSync(goldenDir).filter((f) => f.endsWith('.an')).sort()) {
    const name = file.slice(0, -3);
    const at = (ext) => join(goldenDir, `${name}.${ext}`);
    const args = existsSync(at('args')) ? readFileSync(at('args'), 'utf8').trim() : '@AN@ @X@';
    const words = args.replace(/--threads[ =][1-9]\d*|--format[ =]report/g, '').replace(/--decimal-mark[ =](\S)/, '').trim();
    if (words !== '@AN@ @X@' || !existsSync(at('x'))) continue;
    const mark = /--decimal-mark[ =](\S)/.exec(args)?.[1] ?? '.';
    cases.push({ name, an: at('an'), x: at('x'), mark, expected: at('expected'), stderr: at('stderr') });
  }
  cases.push({ name: 'sample', an: join(dataDir, 'An.txt'), x: join(dataDir, 'X.txt'), mark: '.',
    expected: join(goldenDir, 'sample.expected') });
  return cases;
}

test('golden reports and errors', async (t) => {
  for (const c of pageCases()) {
    await t.test(c.name, () => {
      const session = new engine.Session();
      const outcome = solve(session, load(c.an), load(c.x), c.mark);
      if (existsSync(c.expected)) {
        assert.ok(outcome.ok, outcome.message);
        assert.deepEqual(outcome.report, readFileSync(c.expected));
        return;
      }
      // "NAME.an:3: message": the pane, the line and (where the command line
      // shows the text as it is) the message of the error box.
      const [, file, line, message] = /^[^:]*\.(an|x):(\d+): (.*)$/.exec(readFileSync(c.stderr, 'utf8').trim());
      assert.equal(outcome.ok, false);
      assert.equal(outcome.list, file === 'an' ? 'MemoAN' : 'MemoX');
      assert.equal(outcome.line, Number(line) - 1);
      if (!/\\x|…/.test(message)) assert.equal(outcome.message, message.replace(/^F\(x\): /, ''));
    });
  }
});

test('a report of many blocks comes whole and in order', () => {
  // F(x) = x at 0, 1, …: every line known, the report well past one block.
  const n = 150000;
  const index = Array.from({ length: n }, (_, i) => i);
  const blocks = [];
  const outcome = solveTexts(new engine.Session(), '0\n1\n', index.join('\n'), '.', undefined,
    (block) => blocks.push(Buffer.from(block)));
  assert.ok(outcome.ok, outcome.message);
  assert.ok(blocks.length > 1 && blocks.every((b) => b.subarray(-2).toString() === '\r\n'), `${blocks.length} blocks`);
  const expected = [`An的数量 An Items Count =2`, `X的数量 X Count =${n}`, 'A[0]=0', 'A[1]=1',
    ...index.map((i) => `X[${i}]=${i}`), ...index.map((i) => `F(${i})=${i}`), ''].join('\r\n');
  assert.equal(Buffer.concat(blocks).toString(), expected);
});

// Charset numbers as the engine's Charset enum: utf8, gb18030, latin1, utf16le, utf16be.
const bytes = (...parts) => Buffer.concat(parts.map((p) => (typeof p === 'string' ? Buffer.from(p, 'binary') : Buffer.from(p))));
const kFiles = [
  // name, bytes, charset, mark, text as the pane shows it
  ['ascii', bytes('1\r\n2.5\r\n'), 0, false, '1\n2.5\n'],
  ['utf8 mark', bytes([0xef, 0xbb, 0xbf], '3\r\n'), 0, true, '3\n'],
  ['gb18030', bytes([0xd6, 0xd0, 0xce, 0xc4], '\r\n7\r\n', [0x81, 0x30, 0x81, 0x30], '\r\n'), 1, false, '中文\n7\n\u0080\n'],
  ['latin1', bytes([0xe9], '\r\n'), 2, false, 'é\n'],
  ['utf16le', bytes([0xff, 0xfe, 0x31, 0, 0x0d, 0, 0x0a, 0]), 3, true, '1\n'],
  ['utf16be', bytes([0xfe, 0xff, 0, 0x32, 0, 0x0d, 0, 0x0a]), 4, true, '2\n'],
];

test('list files load and save back byte for byte', () => {
  for (const [name, file, charset, mark, text] of kFiles) {
    const loaded = engine.loadListFile(file, `${name}.txt`);
    assert.ok(loaded.ok, name);
    assert.deepEqual([loaded.charset, loaded.mark, loaded.text], [charset, mark, text], name);
    assert.deepEqual(Buffer.from(engine.saveListFile(loaded.text, charset, mark).bytes), file, name);
  }
  const nul = engine.loadListFile(bytes('1\r\n2\x00\r\n'), 'nul.txt');
  assert.deepEqual([nul.ok, nul.kind, nul.message], [false, 'file', 'File nul.txt contains a NUL byte at line 2.']);
  // A failed save is an outcome the worker can post, not bytes.
  const failed = engine.saveListFile('1\n2\x00\n', 0, false);
  assert.deepEqual([failed.ok, failed.kind, failed.bytes], [false, 'file', undefined]);
});

test('range fill and its faults', () => {
  const rows = [
    // from, to, count, mark, text or fault
    ['0', '1', '3', '.', '0\n0.5\n1\n'],
    ['0', '1', '3', ',', '0\n0,5\n1\n'],
    ['x', '1', '3', '.', 'fromNotNumber'],
    ['0', '1', '0', '.', 'countNotAllowed'],
    ['0', '1', '1', '.', 'singleValueNeedsEqualEnds'],
  ];
  for (const [from, to, count, mark, want] of rows) {
    const outcome = engine.fillRange(from, to, count, mark);
    assert.equal(outcome.ok ? outcome.text : outcome.kind, want, `${from} ${to} ${count}`);
  }
});

const analysisJs = join(dirname(engineJs), 'quill_analysis.js');
test('the analysis of a Solve', { skip: !existsSync(analysisJs) && 'built without the analysis' }, async () => {
  const analysis = await instantiate(analysisJs);
  const session = new engine.Session();
  // (x - 1)(x - 2) = 2 - 3x + x²: roots 1 and 2, a minimum at 1.5.
  assert.ok(solve(session, '2\n-3\n1\n', '0\n1.5\n3\n', '.').ok);
  const { coefficients, x, fx } = session.lists();
  const found = analysis.analyse(coefficients, x, fx, '.', undefined);
  assert.ok(found.ok, found.message);
  assert.deepEqual(found.roots.map((r) => [r.re, r.im, r.multiplicity, r.text]), [[1, 0, 1, '1'], [2, 0, 1, '2']]);
  assert.deepEqual(found.turningPoints.map((p) => [p.xText, p.fxText, p.kind]), [['1.5', '-0.25', 'min']]);
  assert.deepEqual([...found.digits], [17, 17, 17]);
  assert.equal(found.fewDigits, 0);
});

// The command line's golden root, turning point and correct digit tables,
// made by the analysis from the lists of a Solve: text or CSV, any decimal mark.
const analysisGolden = join(goldenDir, '../golden-analysis');
test('golden analysis tables', { skip: !existsSync(analysisJs) && 'built without the analysis' }, async (t) => {
  const analysis = await instantiate(analysisJs);
  for (const file of readdirSync(analysisGolden).filter((f) => f.endsWith('.args')).sort()) {
    const name = file.slice(0, -5);
    const args = readFileSync(join(analysisGolden, file), 'utf8').trim();
    const table = /^--(roots|extrema|accuracy)\b/.exec(args.replace(/--(format[ =](csv|report)|decimal-mark[ =]\S) /g, ''))?.[1];
    const expected = join(analysisGolden, `${name}.expected`);
    if (!table || /--hex|-o /.test(args) || !existsSync(expected)) continue;
    await t.test(name, () => {
      const mark = /--decimal-mark[ =](\S)/.exec(args)?.[1] ?? '.';
      const csv = /--format[ =]csv/.test(args);
      const session = new engine.Session();
      const x = table === 'accuracy' ? load(join(analysisGolden, `${name}.x`)) : '';
      assert.ok(solve(session, load(join(analysisGolden, `${name}.an`)), x, mark).ok);
      const lists = session.lists();
      const text = table === 'accuracy' ? analysis.digitsTable(lists.coefficients, lists.x, mark, csv).text
        : analysis.analyse(lists.coefficients, [], [], mark, undefined)[`${table === 'roots' ? 'roots' : 'turningPoints'}${csv ? 'Csv' : 'Text'}`];
      assert.deepEqual(Buffer.from(text), readFileSync(expected));
    });
  }
});

test('the Solve as a CSV table', () => {
  const session = new engine.Session();
  assert.ok(solve(session, '2\n-3\n1\n', '0\n1.5\n3\n', '.').ok);
  assert.equal(session.csvTable(), 'x,F(x)\n0,2\n1.5,-0.25\n3,2\n');
});
