// Real-speed benchmark of the web build (about four minutes): the show in
// headless chromium, timed in the page from the click that opens the
// letter to the moment the terminal has taken in the prompt, beside the
// time that the show's pauses add up to. Builds the site first, and
// leaves a picture of the letter's last page in build-web/last_page.png.
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import path from 'node:path';

const top = path.dirname(path.dirname(new URL(import.meta.url).pathname));
const run = (command, args, cwd = top) =>
  execFileSync(command, args, { cwd, stdio: ['ignore', 'ignore', 'inherit'] });
run('emcmake', ['cmake', '-S', '.', '-B', 'build-web']);
run('cmake', ['--build', 'build-web']);
if (!existsSync(path.join(top, 'web', 'node_modules', 'playwright-core')))
  run('npm', ['ci', '--no-audit', '--no-fund'], path.join(top, 'web'));
const { launchChromium, serveSite } = await import('../tests/web_browser.mjs');
const { pausesMs } = JSON.parse(
  readFileSync(path.join(top, 'tests', 'letter.json'), 'utf8'));

const pauses = pausesMs / 1000;
const { url, close } = await serveSite();
const browser = await launchChromium();
const page = await browser.newPage({ viewport: { width: 1024, height: 640 } });
await page.addInitScript(() => addEventListener('click', (event) => {
  window.openedAt = event.timeStamp;
}, { capture: true, once: true }));
await page.goto(url);
await page.locator('body[data-show="ready"]').waitFor();
await page.evaluate(() => terminal.onWriteParsed(() => {
  const row = terminal.buffer.active.getLine(24).translateToString();
  if (!window.promptAt && row.includes('press any key to exit ...'))
    window.promptAt = performance.now();
}));
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
