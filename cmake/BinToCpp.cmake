# Writes the bytes of IN as a C++ array named kPicture_<NAME> into OUT.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" len)
math(EXPR size "${len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" body "${body}")
file(WRITE ${OUT} "// Generated from ${NAME}.png\nextern const unsigned char kPicture_${NAME}[] = {\n${body}};\nextern const unsigned long kPicture_${NAME}_size = ${size};\n")
