// The web build in Debian's chromium, driven by Playwright, with the
// page's clock faked so that the 223 s of pauses pass in seconds. The
// screen is read from the page's own terminal.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { after, before, test } from 'node:test';

import { launchChromium, screenOf, serveSite, unpackSite } from
  './web_browser.mjs';

// page, column, row, text
const letter = [
  [1, 3, 2, 'Dear, Ko'],
  [1, 55, 2, '20 Juni 2013'],
  [1, 20, 10, 'Hai, Selavina Ortha Kelon...'],
  [1, 20, 11, 'Bagaimana kabar mu hari ini?'],
  [2, 20, 8, '21 tahun yang lalu,'],
  [2, 20, 9, 'lahir seorang mahluk Tuhan'],
  [2, 20, 10, 'yang paling berharga'],
  [2, 20, 11, 'untuk ku saat ini'],
  [2, 20, 12, 'dan kuharap untuk selamanya'],
  [3, 18, 10, 'Sukar melukiskan betapa'],
  [3, 18, 11, 'sayang, cinta, kasih ini untuk mu'],
  [4, 20, 8, 'melihatmu,'],
  [4, 20, 9, 'ada kesedihan untuk berpisah'],
  [4, 20, 10, 'kebahagian bersama tiada tara,'],
  [4, 20, 11, 'kekhawatiran terhadap belia,'],
  [5, 20, 7, 'kerinduan bermanja'],
  [5, 20, 8, 'kehangatan pelita'],
  [5, 20, 9, 'kesejukan embun'],
  [5, 20, 10, 'senyum yang terus terbayang'],
  [5, 20, 11, 'Kan ku dekap dirimu hingga akhir nanti...'],
  [6, 6, 9, 'Terima Kasih telah menjadi bagian terbaik dalam hidupku'],
  [6, 6, 10, 'dan menerima segala kekurangan.'],
  [7, 6, 9, 'Semoga kekurangan usia bermakna kelebihan atas kebaikan,'],
  [7, 6, 10, 'cinta, syukur, dan impian.'],
];

// A page of the letter as the screen shows it before its turn: the frame,
// the header on row 2 and the page's own lines.
function letterPage(number) {
  const rows = Array(25).fill('');
  rows[0] = rows[22] = '*'.repeat(70);
  for (let y = 1; y < 22; y++)
    rows[y] = '*' + ' '.repeat(68) + '*';
  for (const [page, x, y, text] of letter)
    if (page === number || y === 2)
      rows[y] = rows[y].slice(0, x) + text + rows[y].slice(x + text.length);
  return rows.map((row) => row.trimEnd()).join('\n');
}

const finalScreen = readFileSync(new URL('final_screen.txt', import.meta.url),
  'utf8').split('\n').slice(0, 25).map((row) => row.trimEnd()).join('\n');

// After the last key: the letter as it stands, the prompt's row saying
// quietly that the show is over.
const endScreen = finalScreen.replace(/[^\n]*$/,
  '   The end. Click, tap or press a key to read it again.');

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

// With BARU_UPDATE=1, the README's pictures are taken anew into docs/.
async function picture(page, name) {
  if (process.env.BARU_UPDATE === '1')
    await page.screenshot({ path: new URL(`../docs/${name}`,
      import.meta.url).pathname });
}

// The page with its clock faked, once the show is ready to be opened;
// served, or opened from disk with `from` = unpackSite.
async function openPage(t, music, options, from = serveSite) {
  const { url, close } = await from(music);
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

// Watches the music from the next gesture on, armed before it so that no
// event is missed: `started()` resolves once it plays, or says why not.
async function musicWatch(page) {
  await page.evaluate(() => {
    window.started = new Promise((resolve) => {
      music.addEventListener('playing', () => resolve('playing'));
      music.addEventListener('error', () =>
        resolve(`error ${music.error.code}`));
    });
  });
  return () => page.evaluate(() => window.started);
}

// Where the cells stand in the window, and how tall one is.
function fitOf(page) {
  return page.evaluate(() => {
    const screen = terminal.element.querySelector('.xterm-screen');
    const box = screen.getBoundingClientRect();
    const cellWidth = screen.offsetWidth / terminal.cols;
    // Along the rows: across the window, or down it when turned.
    const [start, length] = document.body.hasAttribute('data-turned')
      ? [box.top, innerHeight] : [box.left, innerWidth];
    const { scrollWidth, scrollHeight } = document.documentElement;
    return {
      inside: box.left >= 0 && box.top >= 0 &&
        box.right <= innerWidth && box.bottom <= innerHeight,
      scrolls: scrollWidth > innerWidth || scrollHeight > innerHeight,
      filled: Math.max(box.width / innerWidth, box.height / innerHeight),
      // The frame's first margin less its last, in cells.
      offCentre: Math.abs(2 * start + 70 * cellWidth - length) / cellWidth,
      cellHeight: screen.offsetHeight / terminal.rows,
    };
  });
}

// The whole frame in the window, centred to a cell, and no scrolling.
function assertFits(fit) {
  assert.ok(fit.inside, 'cells outside the window');
  assert.ok(!fit.scrolls, 'the page scrolls');
  assert.ok(fit.offCentre <= 1, `frame off centre by ${fit.offCentre} cells`);
}

let browser;
before(async () => { browser = await launchChromium(); });
after(() => browser.close());

test('a key opens the letter with its music; every page before its turn; ' +
     'only a key pressed at the prompt ends the show', async (t) => {
  const page = await openPage(t, tone(),
    { viewport: { width: 1024, height: 640 } });
  assertFits(await fitOf(page));

  await page.clock.runFor(0);
  assert.match(await screenOf(page), /press a key to open the letter/);
  assert.ok(!page.asked.includes('/athousandyears.mp3'), 'music before a key');

  const started = await musicWatch(page);
  await page.keyboard.press('Enter');
  assert.equal(await started(), 'playing');

  for (let number = 1; number <= 7; number++) {
    await untilScreen(page, letterPage(number), `page ${number}`);
    // Typed and tapped during the show: never shown, never read.
    await page.keyboard.type('ok');
    await page.keyboard.press('Enter');
    await page.mouse.click(500, 300);
  }
  await page.keyboard.down('q'); // held down from the show into the prompt

  await untilScreen(page, finalScreen, 'the prompt');
  await picture(page, 'browser_last_page.png');
  await page.keyboard.down('q');
  await page.keyboard.press('Shift');
  assert.equal(await show(page), 'running', 'ended by no key at the prompt');
  await page.keyboard.up('q');

  await page.keyboard.press('x');
  assert.equal(await show(page), 'over');
  await page.clock.runFor(1000);
  assert.equal(await screenOf(page), endScreen, 'the key echoed');
  assert.deepEqual(page.errors, []);
});

test('on a phone the whole frame fits, sideways and, upright, turned as ' +
     'large; a tap opens the letter without its music, a tap ends it, ' +
     'and only the next tap opens it again', async (t) => {
  const page = await openPage(t, null, {
    viewport: { width: 844, height: 390 }, hasTouch: true, isMobile: true,
  });
  const sideways = await fitOf(page);
  assertFits(sideways);
  assert.ok(sideways.filled > 0.9, `font too small: ${sideways.filled}`);

  await page.setViewportSize({ width: 390, height: 844 });
  await page.locator('body[data-turned]').waitFor({ state: 'attached' });
  const upright = await fitOf(page);
  assertFits(upright);
  assert.ok(upright.cellHeight >= 0.9 * sideways.cellHeight,
    `cells ${upright.cellHeight} px upright, ${sideways.cellHeight} sideways`);
  assert.ok(await page.locator('#turn').isVisible(), 'no word to turn it');

  const started = await musicWatch(page);
  await page.touchscreen.tap(195, 422);
  assert.equal(await started(), 'error 4'); // the file is not there
  assert.ok(!await page.locator('#turn').isVisible(), 'turn, in the show');
  await untilScreen(page, finalScreen, 'the prompt', 300000);
  await picture(page, 'phone_upright.png');
  await page.setViewportSize({ width: 844, height: 390 });
  await page.locator('body:not([data-turned])').waitFor();
  await page.clock.runFor(100); // the terminal drawn at its new size
  await picture(page, 'phone_sideways.png');

  // The tap that ends the show, its click included, does not open it again.
  const tap = async () => {
    await page.evaluate(() => {
      window.clicked = new Promise((resolve) =>
        addEventListener('click', resolve, { once: true }));
    });
    await page.touchscreen.tap(422, 195);
    await page.evaluate(() => window.clicked);
  };
  await tap();
  assert.equal(await show(page), 'over');
  await page.clock.runFor(1000);
  assert.equal(await screenOf(page), endScreen);
  await tap();
  await page.clock.runFor(500);
  assert.match(await screenOf(page), /Loading, please wait/);
  assert.deepEqual(page.errors, []);
});

test('opened from disk, the package plays the letter with its music, and ' +
     'after the end, again', async (t) => {
  const page = await openPage(t, tone(),
    { viewport: { width: 1280, height: 720 } }, unpackSite);
  let started = await musicWatch(page);
  await page.keyboard.press('Enter');
  assert.equal(await started(), 'playing');
  await untilScreen(page, finalScreen, 'the prompt', 300000);
  await page.keyboard.press('x');
  started = await musicWatch(page);
  await page.keyboard.press('Enter');
  assert.equal(await started(), 'playing');
  await page.clock.runFor(500);
  assert.match(await screenOf(page), /Loading, please wait/);
  assert.deepEqual(page.errors, []);
});
