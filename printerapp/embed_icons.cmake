# Writes OUTPUT: a C++ file with the PNG files ICONS (a list) as byte arrays,
# in the order given, for embedded_icons.h.
set(body "// Made by embed_icons.cmake from printerapp/icons; do not edit.\n#include \"embedded_icons.h\"\n\nnamespace tz::app {\n\nnamespace {\n")
set(table "")
set(index 0)
foreach(icon IN LISTS ICONS)
  file(READ ${icon} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char kIcon${index}[] = {${bytes}};\n")
  string(APPEND table "    {kIcon${index}, sizeof kIcon${index}},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "}  // namespace\n\nconst EmbeddedIcon kIcons[] = {\n${table}};\nconst size_t kIconCount = ${index};\n\n}  // namespace tz::app\n")
file(WRITE ${OUTPUT} "${body}")
