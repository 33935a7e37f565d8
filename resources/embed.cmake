# SPDX-License-Identifier: GPL-3.0-or-later
# Turns one file into a C++ byte array. Run with -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n#include <cstdint>\n"
  "namespace tessary::resources::data {\nextern const std::uint8_t ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}_size;\n"
  "const std::uint8_t ${SYMBOL}[] = {\n${bytes}\n};\nconst std::size_t ${SYMBOL}_size = sizeof(${SYMBOL});\n}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
