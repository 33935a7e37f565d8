// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/heif_module.h"

#include <cstring>

#include "image/module_table.h"

namespace tessary::image::decode {

int decodeHeif(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info) {
    // Every HEIF file opens with its file-type box; the module tells the brands it reads from the others.
    char head[8];
    if (in.size < 12 || !readAt(in, 0, head, sizeof head) || std::memcmp(head + 4, "ftyp", 4) != 0)
        return kConvertRefused;
    static ModuleTable module(kHeifModuleName, kHeifModuleEntry, kHeifModuleVersion,
                              "HEIC and AVIF pictures");
    const auto* heif = static_cast<const HeifModule*>(module.get());
    if (heif) return heif->decode(in, sink, options, info);
    module.reportMissing();
    return kConvertRefused;
}

}  // namespace tessary::image::decode
