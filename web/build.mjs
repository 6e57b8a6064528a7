// Writes the static site: the page and its worker bundled by esbuild, the
// engine (quill_engine.js/.wasm from the WebAssembly build), the captions
// made from the desktop's sources, the sample files, the help page, the
// icons, the manifest and the service worker with the list of every file.
//
//   node build.mjs --engine DIR --captions FILE --out DIR
import { build } from 'esbuild';
import { createHash } from 'node:crypto';
import { copyFileSync, existsSync, mkdirSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '..');
const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, a, i, all) => (a.startsWith('--') ? [...pairs, [a.slice(2), all[i + 1]]] : pairs), []),
);
const out = resolve(args.out);
const engineDir = resolve(args.engine);

rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });

const common = { bundle: true, minify: true, legalComments: 'none', target: ['chrome100', 'firefox100', 'safari15'] };
await build({
  ...common,
  entryPoints: [join(here, 'src/page.js')],
  outfile: join(out, 'page.js'),
  format: 'esm',
  alias: { 'quill-captions': resolve(args.captions) },
});
for (const worker of ['worker.js', 'analysis-worker.js']) {
  await build({ ...common, entryPoints: [join(here, 'src', worker)], outfile: join(out, worker), format: 'iife' });
}

const copies = [
  [join(here, 'index.html'), 'index.html'],
  [join(here, 'page.css'), 'page.css'],
  [join(here, 'manifest.webmanifest'), 'manifest.webmanifest'],
  [join(here, 'node_modules/uplot/dist/uPlot.min.css'), 'uPlot.min.css'],
  [join(root, 'data/An.txt'), 'An.txt'],
  [join(root, 'data/X.txt'), 'X.txt'],
  [join(root, 'data/Quillometer.html'), 'help.html'],
  [join(root, 'data/icons/quillometer-256.png'), 'icon.png'],
  [join(root, 'data/icons/quillometer.svg'), 'icon.svg'],
  [join(engineDir, 'quill_engine.js'), 'quill_engine.js'],
  [join(engineDir, 'quill_engine.wasm'), 'quill_engine.wasm'],
];
// The analysis' module, where the build has it.
for (const name of ['quill_analysis.js', 'quill_analysis.wasm']) {
  if (existsSync(join(engineDir, name))) copies.push([join(engineDir, name), name]);
}
for (const [from, to] of copies) copyFileSync(from, join(out, to));

// The service worker keeps every file; its version is the hash of them all.
const files = readdirSync(out).sort();
const hash = createHash('sha256');
for (const f of files) hash.update(f).update(readFileSync(join(out, f)));
const version = hash.digest('hex').slice(0, 16);
await build({
  ...common,
  bundle: false,
  entryPoints: [join(here, 'src/sw.js')],
  outfile: join(out, 'sw.js'),
  define: { QUILL_VERSION: JSON.stringify(version), QUILL_FILES: JSON.stringify(['./', ...files]) },
});
writeFileSync(join(out, 'version.txt'), `${version}\n`);
console.log(`web site written to ${out} (version ${version})`);
