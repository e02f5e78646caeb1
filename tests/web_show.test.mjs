// The web build in Debian's chromium, driven by Playwright, with the
// page's clock faked so that the minutes of pauses pass in seconds. The
// screen is read from the page's own terminal.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { after, before, test } from 'node:test';
import { isDeepStrictEqual } from 'node:util';
import { runInNewContext } from 'node:vm';

import { launchChromium, screenOf, serveSite, siteOnDisk } from
  './web_browser.mjs';

// Each page of the letter as the screen shows it before its turn, the
// pauses' total and the show's own words, as the C++ tests work them out
// from the show itself.
const { pages, pausesMs, words } = JSON.parse(readFileSync(
  new URL('letter.json', import.meta.url), 'utf8'));
const letterPage = (number) => pages[number - 1].join('\n');

const finalScreen = readFileSync(new URL('final_screen.txt', import.meta.url),
  'utf8').split('\n').slice(0, 25).map((row) => row.trimEnd()).join('\n');

// After the last key: the letter as it stands, the prompt's row saying so.
const endScreen = finalScreen.replace(/[^\n]*$/, `   ${words.end_note}`);

// A screen reader's view: Playwright's of chromium's accessibility tree,
// of the page and of the texts in its log.
const heard = (page) => page.locator('body').ariaSnapshot();
const logOf = async (page) => (await page.getByRole('log').ariaSnapshot())
  .split('\n').slice(1).map((item) => item.replace(/^ {2}- paragraph: /, ''))
  .map((text) => text.startsWith('"') ? JSON.parse(text) : text);

// What stands whole on screens, in reading order: inside the frame and on
// the prompt's row, two blanks or more apart.
const textsOf = (screen) => screen.split('\n').flatMap((row) =>
  row.replace(/^\*+|\*+$/g, '').trim().split(/ {2,}/)).filter(Boolean);
const loading = words.loading_caption;
const loaded = words.loaded_caption;
const wholeTexts = [loading, loaded, ...textsOf([...pages.flat(), finalScreen]
  .join('\n'))];
// The program's own words, the only ones in their own language in the log.
const ownWords = [loading, loaded, words.prompt, words.end_note];

// Moves the page's clock on half a second at a time until the screen is
// `expected`, for as long as the whole show at most. Every page stands
// four seconds before its turn.
// Meanwhile the log holds only whole texts; at last, what stands there.
async function untilScreen(page, expected, what, budgetMs = pausesMs) {
  let shown = '', texts = [];
  for (let ms = 0; ms <= budgetMs && (shown !== expected ||
    !isDeepStrictEqual(texts, textsOf(expected))); ms += 500) {
    await page.clock.runFor(500);
    shown = await screenOf(page);
    texts = await logOf(page);
    assert.ok(texts.every((text) => wholeTexts.includes(text)), `${texts}`);
  }
  assert.deepEqual([shown, texts], [expected, textsOf(expected)], what);
}

const show = (page) => page.evaluate(() => document.body.dataset.show);

// With BARU_UPDATE=1, the README's pictures are taken anew into docs/.
const picture = (page, name) => process.env.BARU_UPDATE === '1' &&
  page.screenshot({ path: new URL(`../docs/${name}`, import.meta.url)
    .pathname });

// A page that keeps its errors and the names of the files it asks for.
async function newPage(t, options) {
  const page = await browser.newPage(options);
  t.after(() => page.close());
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error));
  page.on('dialog', (dialog) => page.errors.push(dialog.message()));
  page.asked = [];
  page.on('request', (request) =>
    page.asked.push(new URL(request.url()).pathname.split('/').pop()));
  return page;
}

// The page with its clock faked, once the show is ready to be opened.
async function openPage(t, music, options, from = serveSite) {
  const { url, close } = await from(music);
  t.after(close);
  const page = await newPage(t, options);
  await page.clock.install();
  await page.goto(url);
  await page.locator('body[data-show="ready"]').waitFor();
  // Every text that joins the log, with its language.
  await page.evaluate(() => {
    window.joined = [];
    new MutationObserver((changes) => changes.forEach(({ addedNodes }) =>
      addedNodes.forEach(({ textContent, lang }) =>
        joined.push([textContent, lang])))).observe(log, { childList: true });
  });
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

// Makes a gesture that starts the music: 'playing' once it plays, or why
// it does not. Armed before the gesture, so that no event is missed.
async function musicOn(page, gesture) {
  await page.evaluate(() => {
    window.started = new Promise((resolve) => {
      music.addEventListener('playing', () => resolve('playing'));
      music.addEventListener('error', () =>
        resolve(`error ${music.error.code}`));
    });
  });
  await gesture();
  return page.evaluate(() => window.started);
}

// Whether the whole frame (70 columns) is in the window, unscrolled, and
// centred to a cell along its rows (down the window when turned).
function fitOf(page) {
  return page.evaluate(() => {
    const screen = terminal.element.querySelector('.xterm-screen');
    const { left, top, right, bottom } = screen.getBoundingClientRect();
    const cell = screen.offsetWidth / terminal.cols;
    const [start, length] = document.body.hasAttribute('data-turned')
      ? [top, innerHeight] : [left, innerWidth];
    const { scrollWidth, scrollHeight } = document.documentElement;
    return {
      fits: left >= 0 && top >= 0 && right <= innerWidth &&
        bottom <= innerHeight && scrollWidth <= innerWidth &&
        scrollHeight <= innerHeight &&
        Math.abs(2 * start + 70 * cell - length) <= cell,
      filled: Math.max((right - left) / innerWidth,
        (bottom - top) / innerHeight),
      cellHeight: screen.offsetHeight / terminal.rows,
    };
  });
}

// Tab reaches a button, seen, `place` unmoved; gives the picture before.
async function tabSeen(page, place = () => fitOf(page)) {
  const [before, where] = [await page.screenshot(), await place()];
  await page.keyboard.press('Tab');
  assert.ok(!(await page.screenshot()).equals(before), 'focus not seen');
  assert.deepEqual(await place(), where, 'the letter moved');
  return before;
}

// The box around what is lit in a picture: [left, right, top, bottom].
const litBox = (page, png) => page.evaluate(async (url) => {
  const image = await createImageBitmap(await (await fetch(url)).blob());
  const { width, height } = image;
  const context = new OffscreenCanvas(width, height).getContext('2d');
  context.drawImage(image, 0, 0);
  const { data } = context.getImageData(0, 0, width, height);
  const lit = [...data.keys()].filter((i) => i % 4 === 0 && data[i] > 128);
  const [xs, ys] = [lit.map((i) => i / 4 % width), lit.map((i) => i / 4)];
  return [Math.min(...xs), Math.max(...xs), Math.floor(Math.min(...ys) /
    width), Math.floor(Math.max(...ys) / width)];
}, `data:image/png;base64,${png.toString('base64')}`);

// Noto Sans Mono the browser's monospace, whose cells are not the page's.
process.env.FONTCONFIG_FILE = new URL('noto_monospace.conf', import.meta.url)
  .pathname;
let browser;
before(async () => { browser = await launchChromium(); });
after(() => browser.close());

for (const [from, where] of [[serveSite, 'served'], [siteOnDisk, 'on disk']])
test(`${where}: Tab reaches the button, Enter or Space opens the letter ` +
     "with music; every page before its turn; only a key of the show's ends " +
     'it, and Enter opens it again, not Tab, Escape or F6', async (t) => {
  const page = await openPage(t, tone(),
    { viewport: { width: 1024, height: 640 } }, from);
  assert.ok((await fitOf(page)).fits, 'frame not whole and centred');
  assert.equal(await page.evaluate(() => terminal.unicode.activeVersion), '15');

  await page.clock.runFor(0);
  assert.ok((await screenOf(page)).includes(words.invitation));
  assert.ok(!page.asked.includes('athousandyears.mp3'), 'music before a key');
  assert.equal(await heard(page), `- button "${words.open_button}"\n- log`);

  // A link's preview: the letter's title and description, in its language
  // (no host: Open Graph's image).
  const said = await page.evaluate(() => [
    document.documentElement.lang, ...[...document.querySelectorAll(
      'title, meta[name=description], meta[property^="og:"]')]
      .map((tag) => tag.content ?? tag.text)]);
  assert.deepEqual(said, [words.letter_language, words.page_title,
    words.page_description, 'website', words.page_title,
    words.page_description]);

  // Keys that move about the page, or the browser's, open nothing; Tab
  // reaches the button, and Enter on it opens the letter, as Space does.
  const othersKeys = ['F1', 'F6', 'F12', 'Escape', 'Control+c', 'Alt+x',
    'Meta+x'];
  for (const key of [...othersKeys, 'Tab', 'Shift+Tab'])
    await page.keyboard.press(key);
  await page.clock.runFor(100); // the terminal drawn
  await tabSeen(page);
  assert.deepEqual(await page.evaluate(() => [document.body.dataset.show,
    document.activeElement.textContent]), ['ready', words.open_button]);
  const enter = () => page.keyboard.press('Enter');
  assert.equal(await musicOn(page, from === serveSite ? enter
    : () => page.keyboard.press('Space')), 'playing');

  for (let number = 1; number < pages.length; number++) {
    await untilScreen(page, letterPage(number), `page ${number}`);
    // Typed and tapped during the show: never shown, never read.
    await page.keyboard.type('ok');
    await page.keyboard.press('Enter');
    await page.mouse.click(500, 300);
  }
  await page.keyboard.down('q'); // held down from the show into the prompt

  await untilScreen(page, finalScreen, 'the prompt');
  await picture(page, 'browser_last_page.png');
  assert.equal(await heard(page), await page.getByRole('log').ariaSnapshot(),
    'more than the log heard');
  await page.keyboard.down('q');
  for (const key of ['Shift', 'Tab', 'Shift+Tab', ...othersKeys])
    await page.keyboard.press(key);
  assert.equal(await show(page), 'running', 'ended by no key at the prompt');
  await page.keyboard.up('q');

  await page.keyboard.press('x');
  assert.equal(await show(page), 'over');
  await page.keyboard.press('Enter'); // at once: the end note stands first
  await page.clock.runFor(1000);
  assert.equal(await screenOf(page), endScreen, 'the key echoed');
  assert.deepEqual(await logOf(page), textsOf(endScreen));
  assert.ok((await heard(page)).endsWith(
    `\n- button "${words.again_button}"`));
  // The program's own words joined once each, and only they in their own
  // language.
  const joined = await page.evaluate(() => window.joined);
  assert.deepEqual(joined.filter(([, lang]) => lang).map(([text, lang]) =>
    `${lang} ${text}`), ownWords.map((text) =>
    `${words.words_language} ${text}`));
  await tabSeen(page);
  for (const key of ['Escape', 'F6'])
    await page.keyboard.press(key);
  assert.equal(await show(page), 'over', 'opened again by a key not its own');
  assert.equal(await musicOn(page, enter), 'playing');
  await page.clock.runFor(500);
  assert.ok((await screenOf(page)).includes(loading));
  assert.deepEqual(await logOf(page), [loading]);
  assert.deepEqual(page.errors, []);
});

test('on a phone the whole frame fits, sideways and, as large, upright; ' +
     'a tap opens the letter without its music, and a tap ends it',
async (t) => {
  const page = await openPage(t, null, {
    viewport: { width: 844, height: 390 }, hasTouch: true, isMobile: true,
  });

  const sideways = await fitOf(page);
  assert.ok(sideways.fits, 'frame not whole and centred');
  assert.ok(sideways.filled > 0.9, `font too small: ${sideways.filled}`);

  assert.equal(await musicOn(page, () => page.touchscreen.tap(422, 195)),
    'error 4'); // the file is not there
  await untilScreen(page, finalScreen, 'the prompt');
  await picture(page, 'phone_sideways.png');
  await page.setViewportSize({ width: 390, height: 844 });
  await page.locator('body[data-turned]').waitFor({ state: 'attached' });
  const upright = await fitOf(page);
  assert.ok(upright.fits && upright.cellHeight >= 0.9 * sideways.cellHeight,
    `upright ${JSON.stringify(upright)}, sideways ${sideways.cellHeight}`);
  await page.clock.runFor(100); // the terminal drawn at its new size
  await picture(page, 'phone_upright.png');

  await page.touchscreen.tap(195, 422);
  await page.locator('body[data-show="over"]').waitFor({ state: 'attached' });
  await page.clock.runFor(150);
  await page.touchscreen.tap(195, 422); // a double tap's second: kept out
  await page.clock.runFor(1000);
  assert.equal(await screenOf(page), endScreen);
  assert.deepEqual(page.errors, []);
});

// A slow phone's link: 1.6 Mbit/s, 150 ms a request. Until the gesture
// has been made, nothing but the page itself comes: its words must stand
// without any script or stylesheet, Tab seen on them, and stand within
// 3 px as the terminal takes their place.
for (const [device, options, gesture] of [
  ['a desktop', { viewport: { width: 1024, height: 640 } },
    (page) => page.mouse.click(512, 320)],
  ['a phone held upright', { viewport: { width: 390, height: 844 },
    hasTouch: true, isMobile: true }, (page) => page.touchscreen.tap(195, 422)],
  ['a phone held sideways', { viewport: { width: 844, height: 390 },
    hasTouch: true, isMobile: true }, (page) => page.touchscreen.tap(422, 195)],
])
test(`on a slow link, on ${device}: words in view within 1.5 s, before ` +
     'any script; a tap then opens the letter once it can, the music from ' +
     'its start', async (t) => {
  const { url, close } = await serveSite(tone());
  t.after(close);
  const page = await newPage(t, options);
  const link = await page.context().newCDPSession(page);
  await link.send('Network.emulateNetworkConditions', { offline: false,
    latency: 150, downloadThroughput: 200000, uploadThroughput: 200000 });
  let letIn, showIn; // the scripts, and the show's own after them
  const held = new Promise((resolve) => { letIn = resolve; });
  const showHeld = new Promise((resolve) => { showIn = resolve; });
  await page.route((asked) => !/\/(athousandyears\.mp3)?$/.test(asked.pathname),
    async (route) => {
      await (/baru\.js$/.test(route.request().url()) ? showHeld : held);
      await route.continue();
    });

  await page.goto(url, { waitUntil: 'commit' });
  const painted = await (await page.waitForFunction(() => performance
    .getEntriesByName('first-contentful-paint')[0]?.startTime)).jsonValue();
  assert.ok(painted < 1500, `first words after ${painted} ms`);
  const upright = options.viewport.height > options.viewport.width;
  for (const words of ['#likeness', ...upright ? ['#turn'] : []]) {
    const { x, y, width, height } = await page.locator(words).boundingBox();
    assert.ok(x >= 0 && y >= 0 && x + width <= options.viewport.width &&
      y + height <= options.viewport.height, `${words} out of view`);
  }
  const likeness = await tabSeen(page,
    () => page.locator('#likeness').boundingBox());
  await page.keyboard.press('Shift+Tab');

  // The tap unlocks the music, silent and not yet fetched; it plays from
  // its start as the show opens (seen at the show's first pause).
  assert.equal(await musicOn(page, async () => {
    await gesture(page);
    assert.deepEqual(await page.evaluate(() => [document.body.dataset.show,
      typeof Terminal, music.paused]), ['opening', 'undefined', true]);
    assert.ok(!page.asked.includes('athousandyears.mp3'), 'music fetched');
    await page.evaluate(() => new MutationObserver(() => {
      if (document.body.dataset.show === 'running')
        window.atOpen ??= [music.paused, music.currentTime];
    }).observe(document.body, { attributes: true }));
    letIn();
    await page.locator('#likeness').waitFor({ state: 'detached' });
    const [before, after] = [await litBox(page, likeness),
      await litBox(page, await page.screenshot())];
    assert.ok(before.every((edge, i) => Math.abs(edge - after[i]) <= 3),
      `lit before the scripts ${before}, after ${after}`);
    showIn();
  }), 'playing');
  await page.locator('#likeness').waitFor({ state: 'detached' });
  assert.deepEqual(await page.evaluate(() => window.atOpen), [false, 0]);
  assert.deepEqual(page.errors, []);
});

// The world letter's last page (its site: tests/web_show.sh) at the
// prompt, from a screenshot: each character of the frame's rows drawn,
// nothing in a blank cell (a symbol drawn as an emoji reaches over), each
// row's stars within 1.5 px of row 0's (a narrow sound mark moves them).
const worldSite = new URL('../build-web-world/site', import.meta.url).pathname;
const inkOf = (page, png) => page.evaluate(async (url) => {
  const image = await createImageBitmap(await (await fetch(url)).blob());
  const context = new OffscreenCanvas(image.width, image.height)
    .getContext('2d');
  context.drawImage(image, 0, 0);
  const { data, width } = context.getImageData(0, 0, image.width,
    image.height);
  // The lit pixels' columns in a box, a pixel in from each side.
  const litIn = (left, top, right, bottom) => {
    const xs = [];
    for (let y = Math.round(top) + 1; y < Math.round(bottom) - 1; y++)
      for (let x = Math.round(left) + 1; x < Math.round(right) - 1; x++)
        if (data.slice(4 * (y * width + x), 4 * (y * width + x) + 3)
          .some((value) => value > 64))
          xs.push(x);
    return xs;
  };
  const { left, top, width: across, height } = terminal.element
    .querySelector('.xterm-screen').getBoundingClientRect();
  const [w, h] = [across / 70, height / 25];
  return [...Array(23).keys()].map((row) => {
    const ink = litIn(left, top + row * h, left + across, top + (row + 1) * h);
    const line = terminal.buffer.active.getLine(row);
    const wrong = [];
    for (let x = 1; x < 69; x++) {
      const cell = line.getCell(x);
      const blank = cell.getChars().trim() === '';
      // A blank's middle only: marks rise into the row above.
      const lit = litIn(left + x * w, top + (row + (blank ? 0.25 : 0)) * h,
        left + (x + cell.getWidth()) * w,
        top + (row + (blank ? 0.75 : 1)) * h).length > 0;
      if (cell.getWidth() > 0 && lit === blank)
        wrong.push(`${x}:${blank ? 'ink in a blank' : cell.getChars()}`);
    }
    return { row, edges: [Math.min(...ink), Math.max(...ink)], wrong };
  });
}, `data:image/png;base64,${png.toString('base64')}`);

for (const [device, options] of [
  ['a desktop', { viewport: { width: 1024, height: 640 } }],
  ['a phone held sideways', { viewport: { width: 844, height: 390 },
    hasTouch: true, isMobile: true }],
])
test(`the world letter on ${device}: every character drawn in its cells, ` +
     "each row's stars in line", async (t) => {
  const page = await openPage(t, null, options,
    (music) => serveSite(music, worldSite));
  await page.mouse.click(10, 10);
  for (let ms = 0; ms < 2 * pausesMs &&
    !await page.evaluate(() => answer); ms += 1000)
    await page.clock.runFor(1000);
  await page.clock.runFor(100); // the terminal drawn
  assert.match(await screenOf(page), /❤ ♥ ★ ✓ ☺ ✌ ☝ ✍ ☘ ☀ ✈ ⏸/);
  const rows = await inkOf(page, await page.screenshot());
  const [left, right] = rows[0].edges;
  const astray = rows.filter(({ edges, wrong }) => wrong.length ||
    Math.abs(edges[0] - left) > 1.5 || Math.abs(edges[1] - right) > 1.5);
  assert.deepEqual(astray, [], `row 0 from ${left} to ${right}`);
  assert.deepEqual(page.errors, []);
});

// A link to a site built with its address (tests/web_show.sh builds one
// for https://example.org/ko/) shows a picture from the site, as large as
// a link's preview takes it (its greeting and date are the video tests');
// a site built without names no picture, nor any address.
test('a link to the site shows its picture, from the site, where the ' +
     'build knew its address, and none where it did not', () => {
  const tagsOf = (build) => Object.fromEntries([...readFileSync(new URL(
    `../${build}/site/index.html`, import.meta.url), 'utf8').matchAll(
    /<meta (?:property|name)="((?:og|twitter):[\w:]+)" content="([^"]*)">/g)]
    .map(([, name, content]) => [name, content]));
  const linked = tagsOf('build-web-linked');
  assert.equal(linked['og:url'], 'https://example.org/ko/');
  assert.equal(linked['twitter:card'], 'summary_large_image');
  const file = linked['og:image'].replace('https://example.org/ko/', '');
  assert.match(file, /^\w+\.png$/, 'a picture in the site');
  const png = readFileSync(new URL(`../build-web-linked/site/${file}`,
    import.meta.url));
  const [width, height] = [png.readUInt32BE(16), png.readUInt32BE(20)];
  assert.ok(png.toString('latin1', 1, 4) === 'PNG' && width >= 1200 &&
    height >= 630 && Math.abs(width / height - 1.91) < 0.02,
  `${width}x${height}`);
  assert.deepEqual(Object.keys(tagsOf('build-web')).filter((name) =>
    /image|url|twitter/.test(name)), []);
});

// The page's terminal counts cells by widths.js, which text/widths.py
// writes from the program's own table (checked by the C++ tests): the
// site's is that one, and it gives each kind of character its cells.
test('the page counts cells by the program\'s own table', () => {
  const site = readFileSync(new URL('../build-web/site/widths.js',
    import.meta.url), 'utf8');
  assert.equal(site, readFileSync(new URL('../web/widths.js', import.meta.url),
    'utf8'));
  const page = runInNewContext(site + ';widths');
  // a, 中, 🫶 (Unicode 14), Thai's ้, an accent mark, a tab, the joiner.
  const cells = [0x61, 0x4E2D, 0x1FAF6, 0x0E49, 0x0301, 0x09, 0x200D]
    .map((c) => page.wcwidth(c));
  assert.deepEqual(cells, [1, 2, 2, 0, 0, 0, 0]);
});
