// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bitmap object 位图: one image in the BMP layout (40-byte info header, colour table, pixel rows
// bottom row first), as held between the steps of the picture pipeline and sent to the engraver.
// Every operation that changes an image returns a new object and leaves its source as it was.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessary::image {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpCoreHeaderSize = 12;

// Pictures above this many pixels are refused: the system works on 512 x 512, and a changed depth
// (1 bit to 32) multiplies the memory of a loaded image by 32.
inline constexpr std::int64_t kMaxBitmapPixels = 100'000'000;

// The last-error texts.
inline constexpr const char* kErrorUnsupportedData = "不被支持的位图数据或无法识别的文件格式";
inline constexpr const char* kErrorEmpty = "位图尚未创建，没有可用数据";
inline constexpr const char* kErrorNoColourTable = "当前位图格式不使用颜色表";
inline constexpr const char* kErrorInvalidDepth = "位深度无效";
inline constexpr const char* kErrorCoordinate = "像素点坐标越界";
inline constexpr const char* kErrorColourIndex = "颜色索引无效";
inline constexpr const char* kErrorColourTable = "颜色表数据格式错误";

bool isBitmapDepth(int bitsPerPixel);
// Bytes per stored row: rows are padded to a multiple of 4 bytes.
std::int64_t bmpStride(std::int64_t width, int bitsPerPixel);

// The colour table a new image of this depth gets, as 0x00BBGGRR values (empty above 8 bits).
std::span<const std::uint32_t> defaultColourTable(int bitsPerPixel);

// Nearest colour-table entry by squared distance in red, green, blue; the first of equals wins.
// Built once per colour table, with a memo of recent colours.
class NearestPaletteIndex {
  public:
    explicit NearestPaletteIndex(std::span<const std::uint32_t> table);
    int operator()(std::uint32_t colour);

  private:
    std::vector<std::uint32_t> table_;
    static constexpr std::size_t kMemoSize = 4096;
    std::array<std::uint32_t, kMemoSize> memoColour_{};  // colour | 0x01000000 once filled
    std::array<std::uint8_t, kMemoSize> memoIndex_{};
};

class Bitmap {
  public:
    Bitmap() = default;
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&&) noexcept = default;
    Bitmap& operator=(Bitmap&&) noexcept = default;
    ~Bitmap() = default;

    // A new image of this size and depth with the default colour table, every stored bit 0.
    // Fails (empty object) for an unsupported depth or size.
    static Bitmap create(int width, int height, int bitsPerPixel);

    // Takes BMP file data. Whatever happens, the previous image is gone; on refusal the object stays empty.
    bool 载入数据(std::span<const std::uint8_t> data);
    // BMP file data; empty when the object is empty.
    Bytes ToByteSet() const;
    Bitmap ConvertDepth(int bitsPerPixel) const;
    Bitmap Rotate90(bool clockwise) const;
    Bitmap Mirror(bool leftRight, bool topBottom) const;

    // Colours are 0x00BBGGRR; (x, y) counts from the top-left pixel.
    std::uint32_t GetPixel(int x, int y) const;
    bool SetPixel(int x, int y, std::uint32_t colour);
    // Colour-table access, for depths up to 8 bits.
    int GetIndex(int x, int y) const;
    bool SetIndex(int x, int y, int index);
    std::vector<std::uint32_t> GetColourTable() const;
    bool SetColourTable(std::span<const std::uint32_t> colours);

    bool empty() const { return block_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const { return bits_; }
    std::size_t stride() const { return stride_; }
    const std::string& lastError() const { return lastError_; }

    // Stored row r (0 = the bottom row of the picture).
    const std::uint8_t* storedRow(int r) const { return pixels() + static_cast<std::size_t>(r) * stride_; }
    std::uint8_t* storedRow(int r) { return pixels() + static_cast<std::size_t>(r) * stride_; }
    const std::uint8_t* topRow(int y) const { return storedRow(height_ - 1 - y); }
    std::uint8_t* topRow(int y) { return storedRow(height_ - 1 - y); }
    // Colours of picture row y (top-down), width() values.
    void readRow(int y, std::uint32_t* colours) const;
    // Stores width() colours into picture row y, as SetPixel would.
    void writeRow(int y, const std::uint32_t* colours);

  private:
    static Bitmap blank(int width, int height, int bitsPerPixel, std::span<const std::uint32_t> table);
    std::optional<Bitmap> sameDepthBlank(int width, int height) const;
    void adopt(Bytes block);
    void fail(const char* text) const { lastError_ = text; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    std::uint32_t tableColour(unsigned index) const;
    NearestPaletteIndex& nearest();
    bool isBlackWhiteTable() const;
    std::uint8_t* pixels() { return block_.data() + pixelStart_; }
    const std::uint8_t* pixels() const { return block_.data() + pixelStart_; }

    Bytes block_;  // info header, colour table, pixel rows: a BMP file from offset 14 on
    int width_ = 0;
    int height_ = 0;
    int bits_ = 0;
    std::size_t colours_ = 0;  // colour-table entries
    std::size_t stride_ = 0;
    std::size_t pixelStart_ = 0;
    std::unique_ptr<NearestPaletteIndex> palette_;  // built on the first pixel write, dropped with the table
    mutable std::string lastError_;
};

using 位图 = Bitmap;

}  // namespace tessary::image
