// SPDX-License-Identifier: GPL-3.0-or-later
// The entry point of the module tessary-heif.
#include "image/decode/heif_module.h"

extern "C" const tessary::image::decode::HeifModule* tessary_heif_module() {
    using namespace tessary::image::decode;
    static constexpr HeifModule kModule{kHeifModuleVersion, decodeHeifPicture};
    return &kModule;
}
