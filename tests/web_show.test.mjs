// The web build in Debian's chromium, driven by Playwright, with the
// page's clock faked so that the minutes of pauses pass in seconds. The
// screen is read from the page's own terminal.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { after, before, test } from 'node:test';

import { lines, pages } from './letter.mjs';
import { launchChromium, screenOf, serveSite } from './web_browser.mjs';

// A page of the letter as the screen shows it before its turn: the frame,
// the header on row 2 and the page's own lines.
function letterPage(number) {
  const rows = Array(25).fill('');
  rows[0] = rows[22] = '*'.repeat(70);
  for (let y = 1; y < 22; y++)
    rows[y] = '*' + ' '.repeat(68) + '*';
  for (const { page, x, y, text } of lines)
    if (page === number || y === 2)
      rows[y] = rows[y].slice(0, x) + text + rows[y].slice(x + text.length);
  return rows.map((row) => row.trimEnd()).join('\n');
}

const finalScreen = readFileSync(new URL('final_screen.txt', import.meta.url),
  'utf8').split('\n').slice(0, 25).map((row) => row.trimEnd()).join('\n');

// Moves the page's clock on half a second at a time until the screen is
// `expected`. Every page stands four seconds before its turn.
async function untilScreen(page, expected, what, budgetMs = 60000) {
  let shown = '';
  for (let ms = 0; ms <= budgetMs && shown !== expected; ms += 500) {
    await page.clock.runFor(500);
    shown = await screenOf(page);
  }
  assert.equal(shown, expected, what);
}

const show = (page) => page.evaluate(() => document.body.dataset.show);

// The page with its clock faked, once the show is ready to be opened.
async function openPage(t, music, options) {
  const { url, close } = await serveSite(music);
  t.after(close);
  const page = await browser.newPage(options);
  t.after(() => page.close());
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error));
  page.on('dialog', (dialog) => page.errors.push(dialog.message()));
  page.asked = [];
  page.on('request', (request) =>
    page.asked.push(new URL(request.url()).pathname));
  await page.clock.install();
  await page.goto(url);
  await page.locator('body[data-show="ready"]').waitFor();
  return page;
}

// A short tone, as WAV data: a stand-in for the music file.
function tone() {
  const samples = 8000;
  const wav = Buffer.alloc(44 + 2 * samples);
  wav.write('RIFF', 0);
  wav.writeUInt32LE(36 + 2 * samples, 4);
  wav.write('WAVEfmt ', 8);
  wav.writeUInt32LE(16, 16); // format chunk: PCM, mono, 8000 Hz, 16 bit
  wav.writeUInt16LE(1, 20);
  wav.writeUInt16LE(1, 22);
  wav.writeUInt32LE(8000, 24);
  wav.writeUInt32LE(16000, 28);
  wav.writeUInt16LE(2, 32);
  wav.writeUInt16LE(16, 34);
  wav.write('data', 36);
  wav.writeUInt32LE(2 * samples, 40);
  for (let i = 0; i < samples; i++)
    wav.writeInt16LE(Math.round(8000 * Math.sin(i * 2 * Math.PI / 18)),
      44 + 2 * i);
  return wav;
}

// Resolves once the music plays, or says why it does not.
function musicState(page) {
  return page.evaluate(() => new Promise((resolve) => {
    const check = () => {
      if (music.error)
        resolve(`error ${music.error.code}`);
      else if (!music.paused && music.readyState >= 3)
        resolve('playing');
    };
    music.addEventListener('playing', check);
    music.addEventListener('error', check);
    check();
  }));
}

let browser;
before(async () => { browser = await launchChromium(); });
after(() => browser.close());

test('a key opens the letter with its music; every page before its turn; ' +
     'only a key pressed at the prompt ends the show', async (t) => {
  const page = await openPage(t, tone(),
    { viewport: { width: 1024, height: 640 } });

  await page.clock.runFor(0);
  assert.match(await screenOf(page), /press a key to open the letter/);
  assert.ok(!page.asked.includes('/athousandyears.mp3'), 'music before a key');

  await page.keyboard.press('Enter');
  assert.equal(await musicState(page), 'playing');

  for (let number = 1; number < pages; number++) {
    await untilScreen(page, letterPage(number), `page ${number}`);
    // Typed and tapped during the show: never shown, never read.
    await page.keyboard.type('ok');
    await page.keyboard.press('Enter');
    await page.mouse.click(500, 300);
  }
  await page.keyboard.down('q'); // held down from the show into the prompt

  await untilScreen(page, finalScreen, 'the prompt');
  await page.keyboard.down('q');
  await page.keyboard.press('Shift');
  assert.equal(await show(page), 'running', 'ended by no key at the prompt');
  await page.keyboard.up('q');

  await page.keyboard.press('x');
  assert.equal(await show(page), 'over');
  await page.clock.runFor(1000);
  assert.equal(await screenOf(page), finalScreen, 'the key echoed');
  assert.deepEqual(page.errors, []);
});

test('on a phone held sideways the whole frame fits; a tap opens the ' +
     'letter without its music, and a tap ends it', async (t) => {
  const page = await openPage(t, null, {
    viewport: { width: 844, height: 390 }, hasTouch: true, isMobile: true,
  });

  const fit = await page.evaluate(() => {
    const cells = terminal.element.querySelector('.xterm-screen')
      .getBoundingClientRect();
    const { scrollWidth, scrollHeight } = document.documentElement;
    return {
      inside: cells.left >= 0 && cells.top >= 0 &&
        cells.right <= innerWidth && cells.bottom <= innerHeight,
      scrolls: scrollWidth > innerWidth || scrollHeight > innerHeight,
      filled: Math.max(cells.width / innerWidth, cells.height / innerHeight),
      offCentre: Math.max(Math.abs(cells.left + cells.right - innerWidth),
        Math.abs(cells.top + cells.bottom - innerHeight)),
    };
  });
  assert.ok(fit.inside, 'cells outside the window');
  assert.ok(!fit.scrolls, 'the page scrolls');
  assert.ok(fit.filled > 0.9, `font too small: ${fit.filled}`);
  assert.ok(fit.offCentre <= 2, `off centre by ${fit.offCentre} px`);

  await page.touchscreen.tap(422, 195);
  assert.equal(await musicState(page), 'error 4'); // the file is not there
  await untilScreen(page, finalScreen, 'the prompt', 300000);
  await page.touchscreen.tap(422, 195);
  assert.equal(await show(page), 'over');
  await page.clock.runFor(1000);
  assert.equal(await screenOf(page), finalScreen);
  assert.deepEqual(page.errors, []);
});
