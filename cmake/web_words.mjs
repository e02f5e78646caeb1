// Run by the web build (node) with <the letter's source> <widths.js>
// <the site's index.html>: the show's own words, as the letter's source
// says them, put into the page in the places marked for them, so that the
// page says them before any script has come and its scripts take them
// from there.
//
// In the page, @name@ stands for one of the words (as HTML), @said@ for
// all of them (a script's object), @invitation.column@ and
// @invitation.cells@ for where the invitation stands on its row of the
// terminal, centred, and how wide, @end_note.cells@ for the end note's
// width. The build has checked every word where it stands; here they are
// made as the show types them: composed, with what no screen draws left
// out.
import { readFileSync, writeFileSync } from 'node:fs';
import { runInNewContext } from 'node:vm';

const [source, widthsScript, page] = process.argv.slice(2);
const widths = runInNewContext(readFileSync(widthsScript, 'utf8') + ';widths');

const said = {};
const word =
  /\n\s*const\s+char\s*\*\s*(\w+)\s*=\s*\w+\s*<\s*"((?:[^"\\]|\\.)*)"\s*>\s*;/g;
for (const [, name, text] of readFileSync(source, 'utf8').matchAll(word))
  said[name] = text.replace(/\\(.)/g, '$1').normalize('NFC')
    .replace(/[\u00AD\u200B\u2060\uFEFF\uFE0F]/g, '');

const cells = (text) => [...text].reduce((sum, c) =>
  sum + widths.wcwidth(c.codePointAt(0)), 0);
const html = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;')
  .replace(/>/g, '&gt;').replace(/"/g, '&quot;');
const invitation = cells(said.invitation);
const values = {
  said: JSON.stringify(said).replace(/</g, '\\u003c'),
  'invitation.column': String(Math.floor((70 - invitation) / 2)),
  'invitation.cells': String(invitation),
  'end_note.cells': String(cells(said.end_note)),
};
for (const [name, text] of Object.entries(said))
  values[name] = html(text);

const missing = [];
const made = readFileSync(page, 'utf8').replace(/@([\w.]+)@/g, (mark, name) =>
  name in values ? values[name] : (missing.push(mark), mark));
if (missing.length) {
  console.error(`${page}: nothing for ${missing.join(', ')} in ${source}`);
  process.exit(1);
}
writeFileSync(page, made);
