# cmake -DIN=skin.svg -DOUT=icon.svg -P MakeIcon.cmake: the program's icon from the default skin's
# drawing: the handheld itself in a square, without the buttons and the logo beside it.
file(READ ${IN} svg)
string(FIND "${svg}" "width=\"1024\" height=\"768\" viewBox=\"0 0 1024 768\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${IN}: no 1024 x 768 canvas to take the icon from")
endif()
string(REPLACE "width=\"1024\" height=\"768\" viewBox=\"0 0 1024 768\""
               "width=\"256\" height=\"256\" viewBox=\"138 14 748 748\"" svg "${svg}")
string(REPLACE "<g id=\"btn_" "<g display=\"none\" id=\"btn_" svg "${svg}")
string(REPLACE "<g id=\"im_logo\"" "<g display=\"none\" id=\"im_logo\"" svg "${svg}")
file(WRITE ${OUT} "${svg}")
