// The page in Debian's Chromium, headless (puppeteer-core drives the system
// browser; nothing is downloaded). Each scenario is one row of the table.
//   node browser_check.mjs SITE_DIR GOLDEN_DIR
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import test from 'node:test';
import assert from 'node:assert/strict';
import { launch, serve, webRequire } from './chromium.mjs';

const [site, goldenDir] = process.argv.slice(2).map((p) => resolve(p));
const axeSource = readFileSync(webRequire.resolve('axe-core/axe.min.js'), 'utf8');

const ready = (page) => page.waitForSelector('body[data-ready=true]', { timeout: 20000 });
const paneText = (page, name) => page.evaluate((n) => window.quill.panes[n].text, name);
// Resolves once the page has shown the report ('quill-solved') or the analysis after it ('quill-analysed').
const after = (page, event) => page.evaluate((e) => new Promise((ok) => document.addEventListener(e, ok, { once: true })), event);
const solved = (page) => after(page, 'quill-solved');

async function solveAndWait(page, event = 'quill-solved') {
  const done = after(page, event);
  await page.click('#BtnSolve');
  await done;
}

// A Solve of sixty coefficients at the x values in the pane, which keeps the
// worker busy long enough to show its progress, cancelled by Esc; the page
// answers meanwhile.
async function cancelLongSolve(page) {
  await page.evaluate(() => window.quill.panes.MemoAN.setText('1\n'.repeat(60)));
  await page.click('#BtnSolve');
  await page.waitForFunction(() => !document.getElementById('SolveProgress').hidden
    && !document.getElementById('BtnCancelSolve').hidden, { timeout: 5000 });
  const lag = await page.evaluate(() => new Promise((ok) => { const t = performance.now(); setTimeout(() => ok(performance.now() - t), 0); }));
  assert.ok(lag < 100, `the page took ${lag} ms to answer`);
  await page.keyboard.press('Escape');
  await page.waitForSelector('#SolveProgress[hidden]');
}

const scenarios = [
  ['the sample Solve gives the golden report bytes', async (page) => {
    await solveAndWait(page);
    const report = await page.evaluate(() => window.quill.lastReport());
    assert.deepEqual(Buffer.from(report, 'utf8'), readFileSync(join(goldenDir, 'sample.expected')));
    assert.equal(await paneText(page, 'MemoFx'), report.replaceAll('\r\n', '\n'));
    assert.match(await page.$eval('#StatusPanel1', (e) => e.textContent), /^An 4, X 7, \d+ ms/);
  }],
  ['a bad value names its line in the error box and is selected', async (page) => {
    await page.evaluate(() => window.quill.panes.MemoX.setText('1\n2\n\nabc\n5'));
    await page.click('#BtnSolve');
    await page.waitForSelector('#error-box[open]');
    assert.equal(await page.$eval('#error-text', (e) => e.textContent), "'abc' is not a valid floating point value.");
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => !document.querySelector('#error-box').open);
    const selected = await page.evaluate(() => {
      const { state } = window.quill.panes.MemoX.view;
      const range = state.selection.main;
      return [state.doc.lineAt(range.head).number, state.sliceDoc(range.from, range.to), state.selection.main.head === range.from];
    });
    assert.deepEqual(selected, [4, 'abc', true]);
  }],
  ['a GB18030 file loads and saves back byte for byte', async (page, scratch) => {
    const file = join(scratch, 'gb.txt');
    const bytes = Buffer.from([0xd6, 0xd0, 0xce, 0xc4, 0x0d, 0x0a, 0x37, 0x0d, 0x0a]);  // 中文, 7
    writeFileSync(file, bytes);
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#BtnLoadAn')]);
    await chooser.accept([file]);
    await page.waitForFunction(() => window.quill.panes.MemoAN.text === '中文\n7\n');
    const downloads = join(scratch, 'downloads');
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await page.click('#BtnSaveAn');
    const saved = join(downloads, 'gb.txt');
    for (let i = 0; i < 100 && !existsSync(saved); i++) await new Promise((ok) => setTimeout(ok, 100));
    assert.deepEqual(readFileSync(saved), bytes);
  }],
  ['1,000,000 values show progress, Cancel (Esc) stops the Solve, the fresh worker keeps the lists', async (page) => {
    await page.click('#BtnFillX');
    for (const [id, value] of [['#range-from', '0'], ['#range-to', '1'], ['#range-count', '1000000']]) {
      await page.$eval(id, (e, v) => (e.value = v), value);
    }
    await page.click('#range-ok');
    await page.waitForFunction(() => window.quill.panes.MemoX.view.state.doc.lines >= 1000000, { timeout: 30000 });
    const before = await paneText(page, 'MemoFx');
    await cancelLongSolve(page);
    assert.equal(await paneText(page, 'MemoFx'), before);
    assert.equal(await page.evaluate(() => window.quill.engine.busy), false);
    // The x text the ended worker held goes to the fresh one.
    const counts = () => page.$eval('#StatusPanel1', (e) => e.textContent.split(',').slice(0, 2).join());
    await page.evaluate(() => window.quill.panes.MemoAN.setText('1'));
    await solveAndWait(page);
    assert.equal(await counts(), 'An 1, X 1000000');
    // Panes without lines take the lists of the last Solve, kept across a Cancel.
    await cancelLongSolve(page);
    await page.evaluate(() => ['MemoAN', 'MemoX'].forEach((p) => window.quill.panes[p].setText('')));
    await solveAndWait(page);
    assert.equal(await counts(), 'An 1, X 1000000');
  }],
  ['the language survives a reload', async (page) => {
    await page.click('.menu-button[aria-controls=menu-set]');
    await page.click('#MnuEnglish');
    assert.equal(await page.$eval('#BtnSolve', (e) => e.textContent), 'Solve');
    await page.reload();
    await ready(page);
    assert.equal(await page.$eval('#BtnSolve', (e) => e.textContent), 'Solve');
    await page.click('.menu-button[aria-controls=menu-set]');
    await page.click('#MnuChinese');
    assert.equal(await page.$eval('#BtnSolve', (e) => e.textContent), '计算 Solve');
  }],
  ['a reload with the network cut still solves', async (page) => {
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.reload();  // now under the service worker's control
    await ready(page);
    await page.setOfflineMode(true);
    await page.reload();
    await ready(page);
    await solveAndWait(page);
    const report = await page.evaluate(() => window.quill.lastReport());
    assert.deepEqual(Buffer.from(report, 'utf8'), readFileSync(join(goldenDir, 'sample.expected')));
    await page.setOfflineMode(false);
  }],
  ['the plot draws with its marks', async (page) => {
    await solveAndWait(page, 'quill-analysed');
    await page.click('#TabSheet2');
    const drawn = await page.evaluate(() => ({
      canvas: !!document.querySelector('#plot canvas'),
      marks: window.quill.plot.marks.map((m) => m.kind),
    }));
    assert.ok(drawn.canvas);
    assert.ok(drawn.marks.includes('root') && drawn.marks.includes('turning'), JSON.stringify(drawn.marks));
    await page.focus('#plot');
    await page.keyboard.press('ArrowRight');
    assert.match(await page.$eval('#plot-tip', (e) => e.textContent), /x=/);
  }],
  ['keyboard only: Tab reaches the panes and Solve, Ctrl+Enter solves', async (page) => {
    const order = [];
    await page.focus('#TabSheet1');
    for (let i = 0; i < 12; i++) {
      await page.keyboard.press('Tab');
      order.push(await page.evaluate(() => document.activeElement.closest('[id]')?.id));
    }
    for (const id of ['MemoAN', 'BtnClearAn', 'MemoX', 'MemoFx']) assert.ok(order.includes(id), order.join(' '));
    await page.focus('#MemoAN .cm-content');
    const done = solved(page);
    await page.keyboard.down('Control');
    await page.keyboard.press('Enter');
    await page.keyboard.up('Control');
    await done;
    assert.match(await paneText(page, 'MemoFx'), /^An的数量 An Items Count =/);
  }],
  ['the pane menu opens from the keyboard (Shift+F10, the menu key) and its entries work', async (page) => {
    const x = () => page.evaluate(() => {
      const { state } = window.quill.panes.MemoX.view;
      return { text: state.doc.toString(), from: state.selection.main.from, to: state.selection.main.to };
    });
    const sample = (await x()).text;
    const open = async (key) => {
      await page.keyboard.down('Shift');
      await page.keyboard.press(key);
      await page.keyboard.up('Shift');
      await page.waitForSelector('#pane-menu:not([hidden])');
      return page.evaluate(() => document.activeElement.textContent);
    };
    const pick = async (...keys) => {
      for (const key of keys) await page.keyboard.press(key);
      await page.waitForSelector('#pane-menu[hidden]');
    };
    await page.focus('#MemoX .cm-content');
    // Nothing to undo, redo or cut yet: the first entry in reach is Paste.
    assert.match(await open('F10'), /Paste/);
    await pick('End', 'ArrowUp', 'Enter');  // Select All
    assert.deepEqual(await x(), { text: sample, from: 0, to: sample.length });
    assert.match(await open('ContextMenu'), /Cut/);
    await pick('ArrowDown', 'ArrowDown', 'ArrowDown', 'Enter');  // Delete
    assert.equal((await x()).text, '');
    assert.match(await open('F10'), /Undo/);
    await pick('Enter');
    assert.equal((await x()).text, sample);
    await open('F10');
    await pick('Escape');
    assert.ok(await page.evaluate(() => document.activeElement.closest('#MemoX') !== null));
    await open('F10');
    await page.keyboard.press('End');
    assert.match(await page.evaluate(() => document.activeElement.textContent), /Fill with a range/);
    await pick('Enter');
    await page.waitForSelector('#range-box[open]');
    await page.keyboard.press('Escape');
    // The coefficients' pane has no range fill.
    await page.focus('#MemoAN .cm-content');
    await open('F10');
    await page.keyboard.press('End');
    assert.match(await page.evaluate(() => document.activeElement.textContent), /Select All/);
  }],
  ['the accessibility audit finds no violations, a pane menu open', async (page) => {
    await page.focus('#MemoX .cm-content');
    await page.keyboard.down('Shift');
    await page.keyboard.press('F10');
    await page.keyboard.up('Shift');
    await page.addScriptTag({ content: axeSource });
    const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
      .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
    assert.deepEqual(violations, []);
  }],
];

test('the page in Chromium', async (t) => {
  const server = await serve(site);
  const scratch = mkdtempSync(join(tmpdir(), 'quill-web-'));
  const browser = await launch(join(scratch, 'profile'));
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1200, height: 800 });
    for (const [name, run] of scenarios) {
      await t.test(name, async () => {
        await page.goto(server.url);
        await ready(page);
        await run(page, scratch);
      });
    }
  } finally {
    await browser.close();
    server.stop();
    rmSync(scratch, { recursive: true, force: true });
  }
});
