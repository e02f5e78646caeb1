// What the video's clock writes into the show's output, in an OSC string
// a terminal ignores: the length of each pause, and the wait for the key.
#ifndef BARU_VIDEO_CLOCK_MARKS_H
#define BARU_VIDEO_CLOCK_MARKS_H

#define MARK_START "\x1b]777;"
#define PAUSE_MARK MARK_START "pause;%ld\x07"
#define KEY_MARK MARK_START "key\x07"

#endif
