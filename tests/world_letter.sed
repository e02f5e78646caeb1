# The letter with lines in other scripts, for the tests: accents, a date
# in Chinese, emoji, Thai, and accents written as marks of their own,
# which join the character before them.
/^  clear_frame();/a\
  type_line<14, 2, "Für dich 🎂 2013年6月20日">(200);\
  type_line<4, 19, "สุขสันต์วันเกิด น้ำใจ">(200);\
  type_line<4, 20, "Café déjà vu, à l'école">(200);\
  type_line<4, 21, "Café déjà vu 💖 ok">(200);
