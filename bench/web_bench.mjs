// Real-speed benchmark of the web build (about four minutes): first, the
// page opened on a slow phone's link, timed to its first words and to the
// moment the letter can be opened; then the show in headless chromium,
// timed in the page from the click that opens the letter to the moment
// the terminal has taken in the prompt, beside the time that the show's
// pauses add up to. Builds the site first, and leaves a picture of the
// letter's last page in build-web/last_page.png. With `open`, only the
// first part (half a minute).
import { execFileSync, spawn } from 'node:child_process';
import { existsSync, readdirSync, readFileSync, statSync } from 'node:fs';
import path from 'node:path';

const top = path.dirname(path.dirname(new URL(import.meta.url).pathname));
const run = (command, args, cwd = top) =>
  execFileSync(command, args, { cwd, stdio: ['ignore', 'ignore', 'inherit'] });
run('emcmake', ['cmake', '-S', '.', '-B', 'build-web']);
run('cmake', ['--build', 'build-web']);
if (!existsSync(path.join(top, 'web', 'node_modules', 'playwright-core')))
  run('npm', ['ci', '--no-audit', '--no-fund'], path.join(top, 'web'));
const { launchChromium, serveSite, site } = await import(
  '../tests/web_browser.mjs');
const { pausesMs, words } = JSON.parse(
  readFileSync(path.join(top, 'tests', 'letter.json'), 'utf8'));
const browser = await launchChromium();

// The site as a plain static server gives it, uncompressed; 1.6 Mbit/s
// and 150 ms a request. Each load timed from the navigation's start, the
// median of five, the browser's cache left out.
const weight = readdirSync(site).filter((name) => !name.endsWith('.mp3'))
  .reduce((sum, name) => sum + statSync(path.join(site, name)).size, 0);
console.log(`page weight (KiB)    ${(weight / 1024).toFixed(0)}`);
const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind',
  '127.0.0.1', '-d', site], { stdio: ['ignore', 'pipe', 'ignore'] });
const port = await new Promise((resolve) => server.stdout.on('data',
  (line) => resolve(/port (\d+)/.exec(line)?.[1])));
for (const [device, options] of [
  ['desktop', { viewport: { width: 1024, height: 640 } }],
  ['phone held upright', { viewport: { width: 390, height: 844 }, hasTouch: true,
    isMobile: true }],
]) {
  const loads = [];
  while (loads.length < 5) {
    const page = await browser.newPage(options);
    await page.addInitScript(() => new MutationObserver(() => {
      if (document.body?.dataset.show === 'ready')
        window.readyAt ??= performance.now();
    }).observe(document, { subtree: true, attributes: true }));
    const link = await page.context().newCDPSession(page);
    await link.send('Network.setCacheDisabled', { cacheDisabled: true });
    await link.send('Network.emulateNetworkConditions', { offline: false,
      latency: 150, downloadThroughput: 200000, uploadThroughput: 200000 });
    await page.goto(`http://127.0.0.1:${port}/`, { waitUntil: 'commit' });
    await page.waitForFunction(() => window.readyAt);
    loads.push(await page.evaluate(() => [performance
      .getEntriesByName('first-contentful-paint')[0].startTime, readyAt]));
    await page.close();
  }
  const median = (which) => loads.map((load) => load[which])
    .sort((a, b) => a - b)[2] / 1000;
  console.log(`${device}: first words (s) ${median(0).toFixed(2)} ` +
    `(at most 1.5), ready to open (s) ${median(1).toFixed(2)} (at most 4)`);
}
server.kill();
if (process.argv[2] === 'open') {
  await browser.close();
  process.exit(0);
}

const pauses = pausesMs / 1000;
const { url, close } = await serveSite();
const page = await browser.newPage({ viewport: { width: 1024, height: 640 } });
await page.addInitScript(() => addEventListener('click', (event) => {
  window.openedAt = event.timeStamp;
}, { capture: true, once: true }));
await page.goto(url);
await page.locator('body[data-show="ready"]').waitFor();
await page.evaluate((prompt) => terminal.onWriteParsed(() => {
  const row = terminal.buffer.active.getLine(24).translateToString();
  if (!window.promptAt && row.includes(prompt))
    window.promptAt = performance.now();
}), words.prompt);
console.log(`real run, about ${Math.round(pauses) + 1} s ...`);
await page.mouse.click(512, 320);
await page.waitForFunction(() => window.promptAt, null,
  { timeout: 600000, polling: 1000 });
const seconds = await page.evaluate(() =>
  (window.promptAt - window.openedAt) / 1000);
await page.screenshot({ path: path.join(top, 'build-web', 'last_page.png') });
await browser.close();
close();

const over = seconds - pauses;
const percent = 100 * over / pauses;
console.log(`click to prompt (s)  ${seconds.toFixed(3)}`);
console.log(`pauses (s)           ${pauses.toFixed(3)}`);
const verdict = percent <= 1 ? 'ok' : 'OVER';
console.log(`over (s)             ${over.toFixed(3)}  ` +
  `(${percent.toFixed(2)} %, ${verdict}: at most 1 %)`);
