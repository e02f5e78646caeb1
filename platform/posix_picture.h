// The screen as the show has drawn it, kept for a POSIX terminal that can
// lose it: shared by the POSIX console's own sources, nowhere else.
#ifndef BARU_PLATFORM_POSIX_PICTURE_H
#define BARU_PLATFORM_POSIX_PICTURE_H

#include <csignal>

// When stdout is a terminal, makes it a stream that follows every byte
// into the picture; says whether it did. The notice stands in the
// picture's place while the window is too small for it.
bool follow_stdout(const char *small_window_notice);

// Set from a signal handler: the terminal's screen or size may have
// changed since it was last drawn.
extern volatile sig_atomic_t redraw;

// When asked: the picture whole, or a notice while the window is too small
// for it. Written past the picture, straight to the terminal.
void draw_if_asked();

// The notice stands in the letter's place, in the foreground.
bool notice_stands();

// Into drawn, for a window of cols x rows: the screen erased, then the
// notice in the middle of it, broken at blanks into lines that fit it, as
// many as its rows hold; the bytes drawn.
int notice_drawn(char *drawn, const char *notice, int cols, int rows);

// A write of the program's own past stdout, whole, as a signal handler
// may make it.
void write_through(const char *bytes, int n);

// Whether this process is in the background of the terminal behind fd; a
// terminal that is not the controlling one (setsid) has no background.
bool in_background(int fd);

// In the background the show would draw over the shell: it stops, as a
// terminal set to tostop stops a program writing from there, till fg
// brings it forward with a SIGCONT. Safe in a signal handler.
void keep_off_the_shell();

#endif
