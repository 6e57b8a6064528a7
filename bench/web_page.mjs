// The browser edition's speed, measured (never asserted): a Solve of
// 1,000,000 x values by 10 coefficients from click to report shown in
// headless Chromium, beside quillometer-cli --threads 1 on the same files;
// the time until the page is ready; the compressed size of the first view.
//   node bench/web_page.mjs SITE_DIR CLI [RUNS]
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { gzipSync, brotliCompressSync } from 'node:zlib';
import { launch, serve } from '../tests/web/chromium.mjs';

const [site, cli] = process.argv.slice(2, 4).map((p) => resolve(p));
const runs = Number(process.argv[4] || 3);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const scratch = mkdtempSync(join(tmpdir(), 'quill-bench-'));

// The lists: ten coefficients, a million x values spread over [-2, 2].
const an = join(scratch, 'An.txt');
const x = join(scratch, 'X.txt');
writeFileSync(an, '1\r\n-0.5\r\n0.25\r\n-0.125\r\n0.0625\r\n3\r\n-2\r\n1.5\r\n-1\r\n0.75\r\n');
writeFileSync(x, Array.from({ length: 1000000 }, (_, i) => `${-2 + (4 * i) / 999999}`).join('\r\n') + '\r\n');

const cliTimes = [];
for (let r = 0; r < runs; r++) {
  const t = process.hrtime.bigint();
  execFileSync(cli, ['--threads', '1', an, x], { stdio: ['ignore', 'ignore', 'inherit'], maxBuffer: 1 << 30 });
  cliTimes.push(Number(process.hrtime.bigint() - t) / 1e6);
}

const server = await serve(site);
const browser = await launch(join(scratch, 'profile'));
const page = await browser.newPage();
await page.setViewport({ width: 1200, height: 800 });
const readyTimes = [];
for (let r = 0; r < runs; r++) {
  const t = Date.now();
  await page.goto(server.url);
  await page.waitForSelector('body[data-ready=true]');
  readyTimes.push(Date.now() - t);
}
for (const [button, file, pane, lines] of [['#BtnLoadAn', an, 'MemoAN', 10], ['#BtnLoadX', x, 'MemoX', 1000000]]) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click(button)]);
  await chooser.accept([file]);
  await page.waitForFunction((p, n) => window.quill.panes[p].view.state.doc.lines >= n && !window.quill.engine.busy,
    { timeout: 60000 }, pane, lines);
}
const pageTimes = [];
for (let r = 0; r < runs; r++) {
  const ms = await page.evaluate(() => new Promise((ok) => {
    const t = performance.now();
    document.addEventListener('quill-solved', () => requestAnimationFrame(() => ok(performance.now() - t)), { once: true });
    document.getElementById('BtnSolve').click();
  }));
  pageTimes.push(ms);
  await page.waitForFunction(() => !window.quill.engine.busy && !window.quill.analyser.busy, { timeout: 300000 });
}
await browser.close();
server.stop();
rmSync(scratch, { recursive: true, force: true });

// What the first view fetches: everything but the help page and the sample's
// later reuse; the service worker's own fetch of the rest comes after.
const firstView = ['index.html', 'page.js', 'page.css', 'uPlot.min.css', 'worker.js', 'quill_engine.js',
  'quill_engine.wasm', 'manifest.webmanifest', 'icon.png', 'An.txt', 'X.txt', 'sw.js'];
let raw = 0; let gz = 0; let br = 0;
for (const f of firstView) {
  const bytes = readFileSync(join(site, f));
  raw += bytes.length;
  gz += gzipSync(bytes, { level: 9 }).length;
  br += brotliCompressSync(bytes).length;
}
const mb = (n) => `${(n / 1e6).toFixed(2)} MB`;
console.log(`Solve 1,000,000 x × 10 coefficients, click to report shown (median of ${runs}):`);
console.log(`  page (headless Chromium): ${median(pageTimes).toFixed(0)} ms   [${pageTimes.map((t) => t.toFixed(0)).join(', ')}]`);
console.log(`  quillometer-cli --threads 1: ${median(cliTimes).toFixed(0)} ms   [${cliTimes.map((t) => t.toFixed(0)).join(', ')}]`);
console.log(`  ratio page / cli: ${(median(pageTimes) / median(cliTimes)).toFixed(2)}`);
console.log(`page ready from a local server: ${median(readyTimes)} ms   [${readyTimes.join(', ')}]`);
console.log(`first view: ${mb(raw)} raw, ${mb(gz)} gzip, ${mb(br)} brotli (wasm ${mb(statSync(join(site, 'quill_engine.wasm')).size)} raw)`);
