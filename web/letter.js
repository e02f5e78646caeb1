// The letter's page: a 70x25 terminal, as wide as the frame, that fits the
// window (turned on its side on a phone held upright), the show (baru.js)
// started on the reader's first click, tap or key, its output written to
// the terminal at each pause, one key or tap at the end, and one more to
// read it again. A screen reader hears the letter from a log beside the
// terminal, which it cannot read. Which keys count, the music and a
// gesture made before the show could be opened are index.html's.
'use strict';

/* ------------------------------ Terminal ------------------------------- */

// The terminal never takes focus (a phone would raise its keyboard), so its
// cursor is drawn as a focused console draws it. The show draws nothing
// right of column 69, so 70 columns centre its frame. Its fonts are the
// page's own (index.html), another only for what those lack.
// Characters take the cells that the show counts them by (widths.js, set
// through the terminal's proposed API): a wide one two, a mark none.
const terminal = new Terminal({
  cols: 70, rows: 25, scrollback: 0, cursorInactiveStyle: 'block',
  fontFamily: '"Letter Mono", "Letter Cells", monospace',
  allowProposedApi: true,
});
terminal.unicode.register(widths);
terminal.unicode.activeVersion = widths.version;
terminal.open(document.getElementById('terminal'));

// The font size index.html works out for the terminal, the largest at
// which all cells fit the window: the frame and the prompt below it,
// whole; its likeness of the invitation stands in it. A window narrower
// than 9 to 10 (a phone held upright) has the terminal on its side at the
// size the phone turned would show; one only a little taller than wide
// keeps it upright. A browser that rounds the font's height otherwise
// (Firefox rounds its ascent and its descent each up to a whole pixel) may
// need it a little smaller: a tenth of a pixel at a time, so that its
// rows still fill the window as nearly as they can.
const box = document.getElementById('terminal');
const narrow = matchMedia('(max-aspect-ratio: 9/10)');
function fitFont() {
  const screen = terminal.element.querySelector('.xterm-screen');
  const turned = narrow.matches;
  document.body.toggleAttribute('data-turned', turned);
  const [width, height] = turned ? [innerHeight, innerWidth]
    : [innerWidth, innerHeight];
  let tenths = Math.round(10 * parseFloat(getComputedStyle(box).fontSize));
  terminal.options.fontSize = tenths / 10;
  while ((screen.offsetWidth > width || screen.offsetHeight > height) &&
    tenths > 10)
    terminal.options.fontSize = --tenths / 10;
  centre(screen.offsetWidth, screen.offsetHeight, turned);
}

// Centred on whole pixels: a terminal placed between two is drawn with
// stray lines. Turned, it swings a quarter turn clockwise about its
// top-left corner, then moves right by its height.
function centre(width, height, turned) {
  const [across, down] = turned ? [height, width] : [width, height];
  box.style.left = `${Math.floor((innerWidth - across) / 2)}px`;
  box.style.top = `${Math.floor((innerHeight - down) / 2)}px`;
  box.style.transform = turned ? `translateX(${height}px) rotate(90deg)` : '';
  // The cells' size, for index.html's marks of a button's words.
  box.style.setProperty('--cell-width', `${width / 70}px`);
  box.style.setProperty('--cell-height', `${height / 25}px`);
}
fitFont();
addEventListener('resize', fitFont);
// Measured again once the page's fonts are surely there: a browser may
// still be loading them, though they are inside the page, and cells
// measured in another font would not fit the letter's. Each is loaded
// now: a character measured before its font came would keep the width
// of another.
Promise.all([...document.fonts].map((face) => face.load())).then(() => {
  terminal.options.fontSize = 1; // another size, so measured anew
  fitFont();
});

// The invitation as soon as the terminal stands, the page's likeness of it
// gone in the same frame. xterm.js draws no cursor until it has had focus
// or a screen switch; DECRST 47 switches to the main screen, where it
// already is.
terminal.write('\x1b[?47l' + // CUP: row 12, centred
  `\x1b[12;${invitationColumn + 1}H${said.invitation}`,
() => document.getElementById('likeness').remove());

/* ------------------------- For a screen reader ------------------------- */

// The terminal is out of a screen reader's reach (index.html); the log
// holds the text that stands on the screen instead: a line of the letter
// once its zero byte has come, so typed whole, and the program's own words,
// written at once (a caption, the prompt). Never the frame, the loading
// bar's spinner and figures, which hold no letter, nor a line being typed.
// Each joins the log once, so a screen reader announces it once, and leaves
// it silently when the screen no longer shows it (a page turned). In the
// screen's order, row by row, the log reads as the screen does.
const log = document.getElementById('log');
// { row, column, end, text, item } by row and column
const standing = new Map();
let placed = null; // where text is written: the cursor's last placement

// What has been written since the cursor was placed, on its row.
function written() {
  const { cursorX, cursorY } = terminal.buffer.active;
  if (!placed || cursorY !== placed.row || cursorX <= placed.column)
    return null;
  const text = terminal.buffer.active.getLine(cursorY)
    .translateToString(true, placed.column, cursorX);
  return { ...placed, end: cursorX, text };
}

// A new text, or a new one in the place of another, is a new item.
function stand(run, lang) {
  if (!run || !run.text.trim())
    return;
  const key = `${run.row} ${run.column}`;
  const before = standing.get(key);
  if (before?.text === run.text)
    return;
  before?.item.remove();
  const item = document.createElement('p');
  item.textContent = run.text.trim();
  if (lang)
    item.lang = lang;
  standing.set(key, { ...run, item });
}

// Drops what the screen no longer shows and puts each new item in its
// place. An item already in the log is never moved: moved, it would be
// announced again.
function showStanding() {
  const buffer = terminal.buffer.active;
  for (const [key, { row, column, end, text, item }] of standing)
    if (buffer.getLine(row).translateToString(true, column, end) !== text) {
      item.remove();
      standing.delete(key);
    }
  const order = [...standing.values()].sort((a, b) =>
    a.row - b.row || a.column - b.column);
  let last = null;
  for (const { item } of order) {
    if (!item.isConnected)
      log.insertBefore(item, last ? last.nextSibling : log.firstChild);
    last = item;
  }
}

// The program's own words (a caption, the prompt) are in their own
// language, whatever the letter's.
const standOwn = (run) => stand(run, said.words_language);

// Each placement ends the text written after the one before. The loading
// bar's figures hold no letter; a caption does. The terminal then places
// the cursor itself.
let placedNow = false; // since the last pause
terminal.parser.registerCsiHandler({ final: 'H' }, ([row, column]) => {
  const run = written();
  if (run && /\p{L}/u.test(run.text))
    standOwn(run);
  placed = { row: Math.max(row || 1, 1) - 1,
    column: Math.max(column || 1, 1) - 1 };
  placedNow = true;
  return false;
});

// A caption that stands through a pause joins at the pause: the same
// stretch that places the cursor next may blank it. Words written at once
// since their placement, not a keystroke typed.
function pausedOn() {
  const run = placedNow && written();
  if (run && /\p{L}.* /u.test(run.text.trim()))
    standOwn(run);
  placedNow = false;
  showStanding();
}

// A line of the letter ends with a zero byte, which the terminal ignores.
function lineTyped() {
  stand(written());
  placed = null;
}

/* ------------------------------ The show ------------------------------- */

// What stdout hands over, a byte at a time, until the next pause.
const gathered = [];
let answer = null; // set while the show waits for its last key or tap

// Emscripten's runtime reads its settings from the global Module.
var Module = {
  noInitialRun: true,
  stdout: (byte) => gathered.push(byte),
  // Written up to each zero byte in turn, so each line is read once the
  // terminal holds it whole.
  handOver() {
    const bytes = Uint8Array.from(gathered);
    gathered.length = 0;
    let start = 0;
    for (let end; (end = bytes.indexOf(0, start)) !== -1; start = end + 1)
      terminal.write(bytes.subarray(start, end + 1), lineTyped);
    terminal.write(bytes.subarray(start), pausedOn);
  },
  // From its start, with the show, a gesture kept from before included.
  // Without the file the audio element fails quietly: nothing is shown.
  playMusic: () => startMusic(),
  // Armed once the terminal has taken in the prompt, so a key or tap from
  // before it never counts.
  keyAfterPrompt() {
    return new Promise((resolve) =>
      terminal.write('', () => {
        standOwn(written());
        showStanding();
        answer = resolve;
      }));
  },
  // A gesture kept from before opens the letter now.
  onRuntimeInitialized() {
    const kept = document.body.dataset.show === 'opening';
    document.body.dataset.show = 'ready';
    if (kept)
      openLetter();
  },
};

/* ------------------------------ At the end ----------------------------- */

// In the prompt's place, dimmed, with no cursor: the show is over, and the
// letter above stays as it stands.
const endNote = '\x1b[?25l' + // DECTCEM: hide the cursor
  '\x1b[25;1H\x1b[2K' + // CUP: row 25; EL 2: erase the row
  '\x1b[2m' + // SGR 2: faint
  `   ${said.end_note}` +
  '\x1b[m'; // SGR 0: back to normal

/* --------------------------- Keys and taps ----------------------------- */

// The show starts on a gesture, the first time or again after the end
// note has stood a second: the second tap of a double tap that ended it,
// or a key pressed twice, never wipes the last page.
let endedAt = 0;
function openLetter() {
  const state = document.body.dataset.show;
  if (state !== 'ready' &&
    !(state === 'over' && performance.now() - endedAt >= 1000))
    return;
  if (state === 'over')
    terminal.write('\x1b[?25h'); // DECTCEM: the cursor back for the show
  gathered.length = 0;
  answer = null;
  standing.clear();
  log.replaceChildren();
  placed = null;
  document.body.dataset.show = 'running';
  Module.callMain([]);
}

function endShow() {
  if (!answer)
    return;
  document.body.dataset.show = 'over';
  endedAt = performance.now();
  answer();
  answer = null;
  // The page's own words are in their own language, as the program's.
  terminal.write(endNote, () => {
    standOwn(written());
    showStanding();
  });
}

// Opened first, then ended: the key, click or tap that ends the show never
// opens it again at once. A tap counts as its click, on its release: the
// browser lets sound play from a key or a click, not from a touch's press.
// Which keys open and end it: index.html.
function onGesture(event) {
  if (opensWith(event))
    openLetter();
  if (event.type === 'click' || showsKey(event))
    endShow();
}

addEventListener('keydown', onGesture);
addEventListener('click', onGesture);
