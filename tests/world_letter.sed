# The letter with lines in other scripts, for the tests: accents and a
# date in Chinese on the greeting's row; on the last page, which stays
# at the prompt, Thai and accents written as marks of their own, which
# join the character before them, ending on the frame's last column,
# and emoji, some newer than the tests' terminal knows of itself.
/^  clear_frame();/a\
  type_line<14, 2, "Für dich 🎂 2013年6月20日">(200);
/"Rem Tavo Gandomi"/i\
  type_line<52, 14, "สุขสันต์วันเกิด น้ำใจ">(200);\
  type_line<44, 15, "Café déjà vu, à l'école">(200);\
  type_line<4, 16, "Café déjà vu 💖 ok">(200);\
  type_line<51, 17, "kamu 🥹 🫶 🥲 🫠">(200);
