// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tessary-prepare's QR code alone: --qr TEXT with --module N, --ecc L|M|Q|H and --quiet-zone N.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "image/qr/qr_code.h"

namespace tessary::prepare {

struct QrRequest {
    bool wanted = false;   // --qr was given
    bool options = false;  // --module, --ecc or --quiet-zone was given
    image::QrOptions code;
};

enum class OptionTaken { NotMine, Taken, Refused };

// Takes the option `name` when it is one of the QR code's, its value from `value` (nothing: none was given);
// on Refused, `error` says why.
OptionTaken takeQrOption(std::string_view name, const std::function<std::optional<std::string_view>()>& value,
                         QrRequest& request, std::string& error);

// Writes the code alone, centred in the field, to `out` as the engraving preview, mirrored when asked, and
// prints its size. The exit status: 0 written, 1 refused (the reason on standard error) or not written.
int writeQrCode(const image::QrOptions& code, bool mirror, const std::string& out);

}  // namespace tessary::prepare
