// What the show's clock writes into the show's output, in an OSC string a
// terminal ignores: for the video, the length of each pause and the wait
// for the key; for the tests, the place where the show is held, all
// written before it having come through.
#ifndef BARU_VIDEO_CLOCK_MARKS_H
#define BARU_VIDEO_CLOCK_MARKS_H

#define MARK_START "\x1b]777;"
#define PAUSE_MARK MARK_START "pause;%ld\x07"
#define KEY_MARK MARK_START "key\x07"
#define HOLD_MARK MARK_START "held\x07"

#endif
