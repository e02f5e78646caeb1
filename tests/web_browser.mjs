// What the browser test and the web benchmark share: the built site on a
// local web server or unpacked from its package, Debian's chromium through
// Playwright, and the screen read from the page's own terminal.
import { createRequire } from 'node:module';
import { readdir, readFile, writeFile } from 'node:fs/promises';
import http from 'node:http';
import path from 'node:path';

const top = path.dirname(path.dirname(new URL(import.meta.url).pathname));
const { chromium } = createRequire(path.join(top, 'web', 'package.json'))(
  'playwright-core');

export const site = path.join(top, 'build-web', 'site');
const unpacked = path.join(top, 'build-web', 'unpacked');

const types = {
  '.html': 'text/html',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.mp3': 'audio/mpeg',
};

// Serves the site (or another build's, `folder`) on 127.0.0.1, and
// `music`, when given, as the music file beside the page.
export async function serveSite(music = null, folder = site) {
  const server = http.createServer(async (request, response) => {
    let name = new URL(request.url, 'http://site').pathname;
    if (name.endsWith('/'))
      name += 'index.html';
    const body = name === '/athousandyears.mp3' ? music
      : await readFile(path.join(folder, name)).catch(() => null);
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

// The package as tests/web_show.sh unpacks it, `music` beside its page.
export async function siteOnDisk(music) {
  const folder = path.join(unpacked, (await readdir(unpacked))[0]);
  await writeFile(path.join(folder, 'athousandyears.mp3'), music);
  return { url: `file://${folder}/index.html`, close() {} };
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
