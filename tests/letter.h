// The letter, read from the show itself (show_letter in baru.cpp), and what
// follows from it by the show's rules: every pause, every page, the screen
// at the prompt. The tests keep no copy of the letter and no figure of it.
#ifndef BARU_TESTS_LETTER_H
#define BARU_TESTS_LETTER_H

#include <string>
#include <vector>

#include "harness.h"

// Every pause of the show, loading bar included, in order; each entry of
// turns is the pause that begins a page turn.
std::vector<int> show_pauses(std::vector<int> *turns = nullptr);
int pages();

// The page as it stands before its turn: the frame, the greeting's row as
// typed so far, and the page's own lines unless `own` is false (as its
// turn leaves it).
Screen page(int number, bool own = true);

// One of the show's own words, as the letter's source says them: "prompt",
// "loading_caption"...
std::string said(const std::string &name);

std::string final_screen(); // as text: the screen when the prompt appears
std::string final_screen_after_the_key(); // the shell given a line below

// The pages, the pauses' total and the show's own words, as JSON.
std::string letter_json();

// How long the show lasts, as the documents state it: "3 minutes 43
// seconds".
std::string length_in_words();

#endif
