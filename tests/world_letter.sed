# The letter with lines in other scripts, for the tests: accents and a
# date in Chinese on the greeting's row; on the last page, which stays
# at the prompt, ending on the frame's last column: symbols drawn as text,
# Korean in loose jamo, emoji with U+FE0F, halfwidth katakana with their
# sound marks, invisible formatting (a soft hyphen, a zero width space, a
# word joiner, a byte order mark: unseen here), Cyrillic with a stress
# mark, a letter with four marks, Thai, accents written as marks of their
# own, which join the character before them, and emoji, some newer than
# the tests' terminal knows of itself.
/^  clear_frame();/a\
  type_line<14, 2, "Für dich 🎂 2013年6月20日">(200);
/"Rem Tavo Gandomi"/i\
  type_line<44, 4, "❤ ♥ ★ ✓ ☺ ✌ ☝ ✍ ☘ ☀ ✈ ⏸">(200);\
  type_line<48, 5, "생일 축하해, 사랑해">(200);\
  type_line<32, 6, "☕️ 🎂️ 💖️ ｶﾞｷﾞｸﾞ ﾊﾟﾋﾟ birth­day​ to⁠day﻿">(200);\
  type_line<44, 7, "С днём рожде́ния, приве́т">(200);\
  type_line<54, 8, "Tiếng Việt: q́̂̃̄">(200);\
  type_line<52, 14, "สุขสันต์วันเกิด น้ำใจ">(200);\
  type_line<44, 15, "Café déjà vu, à l'école">(200);\
  type_line<4, 16, "Café déjà vu 💖 ok">(200);\
  type_line<51, 17, "kamu 🥹 🫶 🥲 🫠">(200);
