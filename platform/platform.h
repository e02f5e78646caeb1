// What the show needs from the console and the system; one source per
// platform. Characters go through stdout (putchar, printf); these routines
// make sure all of it is on the screen before every cursor placement,
// pause and read, so no caller ever flushes.
#ifndef BARU_PLATFORM_PLATFORM_H
#define BARU_PLATFORM_PLATFORM_H

// Blank screen, cursor at the top-left; in a window too small for the
// letter, the notice given stands in its place, where the platform can tell.
void console_clear(const char *small_window_notice);
void music_start();              // "athousandyears.mp3", never waited for
void cursor_place(int x, int y); // column x, row y, counted from 0
void pause_ms(int ms);           // blocks; no clock is read
void key_read();                 // waits for one character of input
void console_exit();             // the run's last command

#endif
