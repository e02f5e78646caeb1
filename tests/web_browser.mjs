// What the browser test and the web benchmark share: the built site on a
// local web server or unpacked from its package, Debian's chromium through
// Playwright, and the screen read from the page's own terminal.
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { mkdtemp, readdir, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import http from 'node:http';
import path from 'node:path';

const top = path.dirname(path.dirname(new URL(import.meta.url).pathname));
const { chromium } = createRequire(path.join(top, 'web', 'package.json'))(
  'playwright-core');

const build = path.join(top, 'build-web');
export const site = path.join(build, 'site');

const types = {
  '.html': 'text/html',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
  '.mp3': 'audio/mpeg',
};

// Serves the site on 127.0.0.1, and `music`, when given, as the music file
// beside the page.
export async function serveSite(music = null) {
  const server = http.createServer(async (request, response) => {
    let name = new URL(request.url, 'http://site').pathname;
    if (name.endsWith('/'))
      name += 'index.html';
    const body = name === '/athousandyears.mp3' ? music
      : await readFile(path.join(site, name)).catch(() => null);
    response.writeHead(body ? 200 : 404,
      { 'content-type': types[path.extname(name)] ?? 'text/plain' });
    response.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const close = () => {
    server.close();
    server.closeAllConnections();
  };
  return { url: `http://127.0.0.1:${server.address().port}/`, close };
}

// The package, baru-<version>-web.zip, unpacked into a fresh folder, with
// `music`, when given, beside the page: the site as it opens from disk.
export async function unpackSite(music = null) {
  const zip = (await readdir(build)).find((name) => name.endsWith('-web.zip'));
  if (!zip)
    throw new Error('no web package in build-web: build its package target');
  const folder = await mkdtemp(path.join(tmpdir(), 'baru-web-'));
  execFileSync('cmake', ['-E', 'tar', 'xf', path.join(build, zip)],
    { cwd: folder });
  const unpacked = path.join(folder, (await readdir(folder))[0]);
  if (music)
    await writeFile(path.join(unpacked, 'athousandyears.mp3'), music);
  return {
    url: `file://${unpacked}/index.html`,
    close: () => rm(folder, { recursive: true, force: true }),
  };
}

// Headless, with a fresh profile, and nothing that reaches for the network.
export function launchChromium() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic',
      '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
}

// The terminal's 25 rows as text, trailing blanks trimmed.
export function screenOf(page) {
  return page.evaluate(() => {
    const buffer = terminal.buffer.active;
    const rows = [];
    for (let y = 0; y < terminal.rows; y++)
      rows.push(buffer.getLine(y).translateToString().trimEnd());
    return rows.join('\n');
  });
}
