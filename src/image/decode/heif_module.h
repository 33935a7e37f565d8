// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// HEIC and AVIF are decoded in the module tessary-heif, which holds libheif, libde265 and the codecs under
// them, so that a program opens those only for such a picture. The chain's step sniffs the file here.
#include "image/decode/decoders.h"

namespace tessary::image::decode {

// What the module exports through its entry point; `version` first, raised whenever the table changes.
struct HeifModule {
    int version;
    Decoder decode;  // decodeHeifPicture
};
inline constexpr int kHeifModuleVersion = 1;
inline constexpr const char* kHeifModuleName = "tessary-heif";
inline constexpr const char* kHeifModuleEntry = "tessary_heif_module";

}  // namespace tessary::image::decode
