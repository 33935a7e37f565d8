// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A read-only stdio stream over bytes, for feeding decoders without a file of one's own.
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tessary::testing {

// The bytes must outlive the stream (POSIX reads them in place; Windows copies them to a temporary file that
// goes with the stream). Null when no stream could be made; fclose it.
std::FILE* openMemoryStream(const std::uint8_t* data, std::size_t size);

}  // namespace tessary::testing
