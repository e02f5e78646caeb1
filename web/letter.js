// The letter's page: an 80x25 terminal that fits the window, the show
// (baru.js) started on the reader's first click, tap or key, its output
// written to the terminal at each pause, and one key or tap at the end.
'use strict';

/* ------------------------------ Terminal ------------------------------- */

// The terminal never takes focus (a phone would raise its keyboard), so its
// cursor is drawn as a focused console draws it.
const terminal = new Terminal({
  cols: 80, rows: 25, scrollback: 0, cursorInactiveStyle: 'block',
});
terminal.open(document.getElementById('terminal'));

// The largest font at which all 80x25 cells fit the window: the frame and
// the prompt below it, whole, on a phone held sideways too.
function fitFont() {
  const screen = terminal.element.querySelector('.xterm-screen');
  const fits = () => screen.offsetWidth <= innerWidth &&
    screen.offsetHeight <= innerHeight;
  terminal.options.fontSize = 100;
  const scale = Math.min(innerWidth / screen.offsetWidth,
    innerHeight / screen.offsetHeight);
  terminal.options.fontSize = Math.floor(100 * scale * 2) / 2;
  // Cells are whole pixels, so the scaled font can still be a pixel over.
  while (!fits() && terminal.options.fontSize > 1)
    terminal.options.fontSize -= 0.5;
}
fitFont();
addEventListener('resize', fitFont);

/* ------------------------------ The show ------------------------------- */

// What stdout hands over, a byte at a time, until the next pause.
const gathered = [];
const music = new Audio();
let answer = null; // set while the show waits for its last key or tap

// Emscripten's runtime reads its settings from the global Module.
var Module = {
  noInitialRun: true,
  stdout: (byte) => gathered.push(byte),
  handOver() {
    terminal.write(Uint8Array.from(gathered));
    gathered.length = 0;
  },
  // Without the file the audio element fails quietly: nothing is shown.
  playMusic() {
    music.src = 'athousandyears.mp3';
    music.play().catch(() => {});
  },
  // Armed once the terminal has taken in the prompt, so a key or tap from
  // before it never counts.
  keyAfterPrompt() {
    return new Promise((resolve) =>
      terminal.write('', () => { answer = resolve; }));
  },
  onRuntimeInitialized() {
    // xterm.js draws no cursor until it has had focus or a screen switch;
    // DECRST 47 switches to the main screen, where it already is.
    terminal.write('\x1b[?47l');
    terminal.write('\x1b[12;18H' + // CUP: row 12, column 18
      'Click, tap or press a key to open the letter.');
    document.body.dataset.show = 'ready';
  },
};

/* --------------------------- Keys and taps ----------------------------- */

// The browser lets sound play from a click, a tap's release or a key; the
// show starts in that same moment.
function openLetter() {
  if (document.body.dataset.show !== 'ready')
    return;
  document.body.dataset.show = 'running';
  Module.callMain([]);
}

function endShow() {
  if (!answer)
    return;
  document.body.dataset.show = 'over';
  answer();
  answer = null;
}

// A key that types nothing by itself, or one held down since before, is
// not a key press.
const modifiers = ['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'CapsLock',
  'NumLock', 'ScrollLock', 'Fn', 'FnLock', 'Hyper', 'Super', 'Symbol'];

addEventListener('keydown', (event) => {
  if (event.repeat || modifiers.includes(event.key))
    return;
  openLetter();
  endShow();
});
addEventListener('click', openLetter);
addEventListener('pointerdown', endShow);
