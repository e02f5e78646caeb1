// The console canvas and its two timed effects.
//
// Columns and rows count from 0 at the top-left cell of the screen. Every
// routine places the cursor before it writes, but clear_line, which writes
// from wherever the cursor stands, and type_sentence, which places it once
// per line. Pauses are whole milliseconds.
#ifndef BARU_SCREEN_SCREEN_H
#define BARU_SCREEN_SCREEN_H

// Canvas.
void gotoxy(int x, int y);
void draw_line(int first, int end, int row, char fill);
void draw_vertical_line(int col, int first, int end, char fill);
void clear_line();     // 68 blanks from the cursor: the frame's interior width
void clear_frame();    // rows 1-21, columns 1-68
void clear_continue(); // row 23, columns 0-67
void clear_content();  // rows 4-21, columns 1-68, between two 1000 ms pauses

// Timed effects.
void type_sentence(int x, int y, int n_chars, const char *line, int pace);
// The captions, in the reader's language, stand two rows above the bar.
void draw_loading(int x, int y, const char *waiting, const char *completed);

#endif
