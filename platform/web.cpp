// The console in a browser page: a 70x25 terminal (xterm.js) that the
// page (web/letter.js) holds, the show compiled with Emscripten and
// Asyncify, so that pauses and the final read stay blocking calls here
// while the page runs on between them.
//
// Cursor placement travels in stdout with the characters, as VT sequences,
// as on POSIX terminals. stdout gathers everything written between two
// pauses; at the next pause one flush hands it to the page, a byte at a
// time (Module.stdout), and the page writes it to the terminal whole.
#include <emscripten.h>

#include <cstdio>

#include "platform/platform.h"

/* ------------------------------- The page ------------------------------ */

// What the page offers the show, on Emscripten's Module object.
EM_JS(void, hand_over, (), { Module.handOver(); });
EM_JS(void, play_music, (), { Module.playMusic(); });
EM_ASYNC_JS(void, key_after_prompt, (), { await Module.keyAfterPrompt(); });

/* ---------------------------- Screen output ---------------------------- */

// Larger than anything the show writes between two pauses.
static char gathered[16384];

// The page may run the show again; stdout takes its buffer once, before
// anything is written. The page's terminal is always 70x25: no notice.
void console_clear(const char *) {
  static bool buffered = false;
  if (!buffered) {
    setvbuf(stdout, gathered, _IOFBF, sizeof gathered);
    buffered = true;
  }
  printf("\x1b[2J"); // ED 2: erase the whole display
  printf("\x1b[H");  // CUP: cursor home, top-left
}

void cursor_place(int x, int y) {
  printf("\x1b[%d;%dH", y + 1, x + 1); // CUP: row and column count from 1
}

static void show_gathered() {
  fflush(stdout);
  hand_over();
}

/* ------------------------------- Pauses -------------------------------- */

// The page's timers go on while the show sleeps here.
void pause_ms(int ms) {
  show_gathered();
  emscripten_sleep(static_cast<unsigned>(ms));
}

/* -------------------------------- Input -------------------------------- */

// One key or one tap, pressed once the prompt is on the screen: what was
// typed or tapped during the show never ends the wait, and nothing shows.
void key_read() {
  show_gathered();
  key_after_prompt();
}

// The letter stays on the page; nothing is left for "exit" to do.
void console_exit() {}

/* -------------------------------- Music -------------------------------- */

// Plays "athousandyears.mp3" from beside the page, if it is there, from
// its start. The show starts on the reader's click, tap or key, so the
// browser lets it; a gesture made before the page could start the show
// unlocked the music already.
void music_start() { play_music(); }
