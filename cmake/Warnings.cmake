# SPDX-License-Identifier: GPL-3.0-or-later
# Every target of ours gets the same warnings; sanitizers are a build-wide switch.
add_library(tessary_warnings INTERFACE)
target_compile_options(tessary_warnings INTERFACE -Wall -Wextra)

if(TESSARY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
