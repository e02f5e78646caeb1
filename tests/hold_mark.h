// Written by the test clock into the program's output at each hold, read
// by the harness: all written before it has come through. OSC 777, which
// a terminal ignores.
#ifndef BARU_TESTS_HOLD_MARK_H
#define BARU_TESTS_HOLD_MARK_H

#define HOLD_MARK "\x1b]777;held\x07"

#endif
