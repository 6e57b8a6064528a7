// Debian's Chromium, headless, driven by puppeteer-core (the system's
// browser; nothing is downloaded), and the site served on 127.0.0.1, for the
// browser tests and the benchmark.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
// The page's packages (web/node_modules, installed by npm ci).
export const webRequire = createRequire(join(root, 'web/package.json'));
const puppeteer = webRequire('puppeteer-core');

export const kChromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// The site served on a free port of 127.0.0.1.
export async function serve(dir) {
  const server = spawn('python3', [join(root, 'tools/serve-web.py'), dir, '0'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((ok) => server.stdout.once('data', (d) => ok(String(d).trim())));
  return { url, stop: () => server.kill() };
}

export async function launch(profile) {
  return puppeteer.launch({
    executablePath: process.env.QUILL_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [...kChromiumFlags, `--user-data-dir=${profile}`],
  });
}

