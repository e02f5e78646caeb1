# The letter with lines in other scripts, for the tests: accents, a date
# in Chinese, emoji, and marks that join the character before them.
/^  clear_frame();/a\
  type_line<14, 2, "Für dich 🎂 2013年6月20日">(200);\
  type_line<4, 21, "Café déjà vu ❤️ 👩‍👨 ok">(200);
