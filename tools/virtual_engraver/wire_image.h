// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The image the console uploads: a 1-bit BMP file whose first stored row is the top row of the preview.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessary::virtual_engraver {

inline constexpr std::size_t kBmpFileHeaderLength = 14;
inline constexpr std::size_t kBmpInfoHeaderLength = 40;
// Long enough for every field we check: the file header, a 40-byte info header, two colours.
inline constexpr std::size_t kWireHeaderLength = 62;
inline constexpr int kMaxSide = 8192;
inline constexpr std::size_t kMaxWireImageBytes = 64 + std::size_t{kMaxSide} * kMaxSide / 8;

/// The file size a BMP header declares; needs the first six bytes and the "BM" signature.
std::optional<std::uint32_t> declaredFileSize(std::span<const std::uint8_t> head);

struct WireImageHeader {
    std::uint32_t fileSize = 0;
    std::uint32_t pixelOffset = 0;
    int width = 0;
    int rows = 0;
    std::size_t stride = 0;
};

/// Checks what the machine relies on: 1 bit per pixel, uncompressed, sane sizes, every row inside the
/// declared file size. `problem` says what is wrong otherwise.
std::optional<WireImageHeader> readWireImageHeader(std::span<const std::uint8_t> head, std::string& problem);

class WireImage {
  public:
    /// The whole file, as declared by its header.
    static std::optional<WireImage> parse(std::vector<std::uint8_t> file, std::string& problem);

    int width() const { return header_.width; }
    int height() const { return header_.rows; }
    std::size_t fileSize() const { return file_.size(); }
    std::span<const std::uint8_t> file() const { return file_; }
    /// Row `y` as it came over the wire (y = 0 first): the preview's row y.
    std::span<const std::uint8_t> row(int y) const;
    /// A 0 bit is burnt (colour 0 is black).
    bool burns(int x, int y) const;

    /// The same layout with no pixel burnt: the sheet on which a carving pass marks what it burnt.
    WireImage blank() const;
    void markBurnt(int x, int y);

  private:
    WireImageHeader header_;
    std::vector<std::uint8_t> file_;
};

/// Writes the image as a 1-bit grey PNG, the preview's top row first. Writes to a temporary name and
/// renames it, so a reader never sees half a file. `problem` says why on failure.
bool writePng(const WireImage& image, const std::string& path, std::string& problem);

/// Writes the file byte for byte as it came over the wire, the same way.
bool writeBmp(const WireImage& image, const std::string& path, std::string& problem);

}  // namespace tessary::virtual_engraver
