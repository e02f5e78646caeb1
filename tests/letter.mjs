// The letter, read from the show itself (show_letter in baru.cpp), for the
// browser test and its benchmark: each line with its page, and how long
// the show's pauses take by the typewriter's rules.
import { readFileSync } from 'node:fs';

const source = readFileSync(new URL('../baru.cpp', import.meta.url), 'utf8');
const body = source.slice(source.indexOf('show_letter() {'));
const calls = /type_line<\s*(\d+)\s*,\s*(\d+)\s*>\(\s*"((?:[^"\\]|\\.)*)"\s*,\s*(\d+)\s*\)|pause_ms\(\s*(\d+)\s*\)|turn_page\(\s*\)/g;

// { page, x, y, text } for each line, in order.
export const lines = [];
// The loading bar's 50 cells of four phases, and its caption held.
let ms = 200 * 20 + 3000;
let page = 1;
for (const [call, x, y, text, pace, pause] of body.slice(0,
  body.indexOf('\n}\n')).matchAll(calls)) {
  if (text !== undefined) {
    const plain = text.replace(/\\(.)/g, '$1');
    lines.push({ page, x: +x, y: +y, text: plain });
    // A blank is fast; every other byte, the zero byte too, takes the pace.
    for (const c of plain + '\0')
      ms += c === ' ' ? 20 : +pace;
    ms += 2000;
  } else if (pause !== undefined) {
    ms += +pause;
  } else if (call.startsWith('turn_page')) {
    page++;
    ms += 4000;
  }
}
export const pages = page;
export const pausesMs = ms;
