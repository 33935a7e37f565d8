// SPDX-License-Identifier: GPL-3.0-or-later
#include "qr_option.h"

#include <charconv>
#include <cstdio>
#include <span>
#include <variant>

#include "image/files.h"
#include "intake/code_engraving.h"

namespace tessary::prepare {
namespace {

std::optional<int> count(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

OptionTaken takeQrOption(std::string_view name, const std::function<std::optional<std::string_view>()>& value,
                         QrRequest& request, std::string& error) {
    if (name != "--qr" && name != "--module" && name != "--ecc" && name != "--quiet-zone")
        return OptionTaken::NotMine;
    const auto v = value();
    if (!v) {
        error = std::string(name) + " needs a value";
        return OptionTaken::Refused;
    }
    if (name == "--qr") {
        request.wanted = true;
        request.code.text = std::string(*v);
        return OptionTaken::Taken;
    }
    request.options = true;
    if (name == "--ecc") {
        const auto level = image::qrLevelFromName(*v);
        if (!level) {
            error = "--ecc takes L, M, Q or H, not '" + std::string(*v) + "'";
            return OptionTaken::Refused;
        }
        request.code.level = *level;
        return OptionTaken::Taken;
    }
    const auto n = count(*v);
    if (!n || *n < (name == "--module" ? 1 : 0)) {
        error = std::string(name) +
                (name == "--module" ? " takes a whole number of dots, 1 or more"
                                    : " takes a whole number of modules, 0 or more") +
                ", not '" + std::string(*v) + "'";
        return OptionTaken::Refused;
    }
    (name == "--module" ? request.code.module : request.code.quietZone) = *n;
    return OptionTaken::Taken;
}

int writeQrCode(const image::QrOptions& code, bool mirror, const std::string& out) {
    const auto measured = image::measureQr(code);
    if (const auto* refusal = std::get_if<std::string>(&measured)) {
        std::fprintf(stderr, "tessary-prepare: %s\n", refusal->c_str());
        return 1;
    }
    const auto& size = std::get<image::QrSize>(measured);
    const image::Bytes bmp = intake::engravingOfDots(image::renderQr(code), mirror).ToByteSet();
    if (!image::writeFile(out, {std::span<const std::uint8_t>(bmp)})) {
        std::fprintf(stderr, "tessary-prepare: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("QR code: version %d, level %s, %d x %d modules of %d dot%s, quiet zone %d modules\n",
                size.version, std::string(image::qrLevelName(code.level)).c_str(), size.modules, size.modules,
                code.module, code.module == 1 ? "" : "s", code.quietZone);
    std::printf("Size: %d x %d dots, %.1f x %.1f mm at %.3f mm a dot%s\n", size.dots, size.dots,
                size.millimetres, size.millimetres, image::kMillimetresPerDot, mirror ? ", mirrored" : "");
    return 0;
}

}  // namespace tessary::prepare
