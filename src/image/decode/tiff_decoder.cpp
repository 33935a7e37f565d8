// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF through libtiff's RGBA reader, a band of rows at a time so that a large picture is never held whole.
#include <tiffio.h>

#include <algorithm>
#include <future>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "image/decode/decoders.h"
#include "platform/files.h"

namespace tessary::image::decode {
namespace {

// One allocation inside libtiff (a strip or tile buffer, a tag array) may not exceed this.
constexpr tmsize_t kTiffSingleAllocLimit = 256 * 1024 * 1024;
// Size of the band of RGBA rows asked of the reader at a time.
constexpr std::uint64_t kBandBytes = 16 * 1024 * 1024;
constexpr std::uint32_t kMinBandRows = 64;

int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Handlers without a TIFF handle (some codec paths) go to the process-wide ones; this program prints none.
void silenceGlobalHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

tmsize_t readProc(thandle_t h, void* buffer, tmsize_t size) {
    if (size <= 0) return 0;
    return static_cast<tmsize_t>(
        std::fread(buffer, 1, static_cast<std::size_t>(size), static_cast<std::FILE*>(h)));
}
tmsize_t writeProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t seekProc(thandle_t h, toff_t offset, int whence) {
    auto* f = static_cast<std::FILE*>(h);
    if (offset > static_cast<toff_t>(INT64_MAX)) return static_cast<toff_t>(-1);
    if (fseeko(f, static_cast<off_t>(offset), whence) != 0) return static_cast<toff_t>(-1);
    return static_cast<toff_t>(ftello(f));
}
int closeProc(thandle_t) { return 0; }  // the caller owns the file
toff_t sizeProc(thandle_t h) {
    auto* f = static_cast<std::FILE*>(h);
    const off_t here = ftello(f);
    fseeko(f, 0, SEEK_END);
    const off_t end = ftello(f);
    fseeko(f, here, SEEK_SET);
    return static_cast<toff_t>(end);
}
int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};
struct TiffDeleter {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

struct RgbaReader {
    TIFFRGBAImage img{};
    bool begun = false;
    ~RgbaReader() {
        if (begun) TIFFRGBAImageEnd(&img);
    }
};

bool flipsVertically(std::uint16_t orientation) {
    return orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
           orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
}

// Rows that one read decodes without decoding a strip or tile twice, within the band budget.
std::uint32_t bandRows(TIFF* tif, std::uint32_t width, std::uint32_t height) {
    std::uint32_t unit = 0;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, height);
    const std::uint64_t budget = std::max<std::uint64_t>(1, kBandBytes / (std::uint64_t{width} * 4));
    std::uint64_t rows = unit;
    if (rows < kMinBandRows) rows = (kMinBandRows + unit - 1) / unit * unit;
    if (rows > budget) rows = unit <= budget ? budget / unit * unit : budget;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(rows, height));
}

// The reader gives premultiplied colour for every alpha kind, except grey with unassociated alpha,
// which it passes through as stored.
void compositeOverWhite(const std::uint32_t* abgr, std::uint8_t* rgb, std::uint32_t width,
                        bool premultiplied) {
    for (std::uint32_t x = 0; x < width; ++x, rgb += 3) {
        const std::uint32_t p = abgr[x];
        const unsigned a = TIFFGetA(p);
        const unsigned c[3] = {TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)};
        for (int i = 0; i < 3; ++i) {
            unsigned v = c[i];
            if (a != 255)
                v = premultiplied ? std::min(255u, v + (255 - a)) : (v * a + 255 * (255 - a) + 127) / 255;
            rgb[i] = static_cast<std::uint8_t>(v);
        }
    }
}

void unpackOpaque(const std::uint32_t* abgr, std::uint8_t* rgb, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x, rgb += 3) {
        rgb[0] = static_cast<std::uint8_t>(TIFFGetR(abgr[x]));
        rgb[1] = static_cast<std::uint8_t>(TIFFGetG(abgr[x]));
        rgb[2] = static_cast<std::uint8_t>(TIFFGetB(abgr[x]));
    }
}

// 8-bit RGB stored pixel by pixel in strips, top row first, by a codec that reads strips row by row.
bool plainRgb(TIFF* tif) {
    std::uint16_t photometric = 0, bits = 0, samples = 0, planar = 0, orientation = 0, format = 0,
                  compression = 0;
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    if (TIFFIsTiled(tif) || TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) != 1 ||
        photometric != PHOTOMETRIC_RGB)
        return false;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    const bool rowCodec = compression == COMPRESSION_NONE || compression == COMPRESSION_LZW ||
                          compression == COMPRESSION_ADOBE_DEFLATE || compression == COMPRESSION_DEFLATE ||
                          compression == COMPRESSION_PACKBITS;
    return bits == 8 && samples == 3 && planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT &&
           format == SAMPLEFORMAT_UINT && extraCount == 0 && rowCodec;
}

// Uncompressed strips no larger than this are read whole, straight from the file into the rows' buffer.
constexpr std::uint64_t kWholeStripBytes = 4 * 1024 * 1024;

// The rows per strip when every strip of an uncompressed picture can be read whole with the bytes its
// scanlines would be read from: each strip holds at least its rows' bytes and lies inside the file. 0: not
// so.
std::uint32_t wholeStripRows(TIFF* tif, std::uint32_t width, std::uint32_t height, std::uint64_t fileSize) {
    std::uint16_t compression = 0;
    std::uint32_t rowsPerStrip = 0;
    std::uint64_t* offsets = nullptr;
    std::uint64_t* counts = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (compression != COMPRESSION_NONE || TIFFIsTiled(tif) || rowsPerStrip == 0 ||
        TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) != 1 ||
        TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) != 1 || !offsets || !counts)
        return 0;
    const std::uint64_t rowBytes = std::uint64_t{width} * 3;
    const std::uint32_t rows = std::min(rowsPerStrip, height);
    if (rows * rowBytes > kWholeStripBytes) return 0;
    const std::uint32_t strips = (height - 1) / rows + 1;
    if (TIFFNumberOfStrips(tif) != strips) return 0;
    for (std::uint32_t i = 0; i < strips; ++i) {
        const std::uint64_t need = std::min<std::uint64_t>(rows, height - std::uint64_t{i} * rows) * rowBytes;
        if (counts[i] < need || offsets[i] > fileSize || counts[i] > fileSize - offsets[i]) return 0;
    }
    return rows;
}

// Rows of an uncompressed picture whose strips hold `rows` rows each, read straight from the file a few rows
// at a time (so that they are still in the cache when the sink adds them up), never across a strip's end.
class StripRows {
  public:
    StripRows(int fd, const std::uint64_t* offsets, std::uint32_t rows, std::uint32_t width,
              std::uint32_t height)
        : fd_(fd),
          offsets_(offsets),
          rows_(rows),
          height_(height),
          rowBytes_(std::size_t{width} * 3),
          pieceRows_(std::clamp<std::uint32_t>(static_cast<std::uint32_t>(kPieceBytes / rowBytes_), 1, rows)),
          piece_(std::make_unique_for_overwrite<std::uint8_t[]>(pieceRows_ * rowBytes_)) {}

    // Reads the piece that starts at row y into the buffer; its row count, 0 when the file fails.
    std::uint32_t read(std::uint32_t y) {
        const std::uint32_t strip = y / rows_;
        const std::uint32_t end = std::min<std::uint64_t>(std::uint64_t{strip + 1} * rows_, height_);
        const std::uint32_t n = std::min(pieceRows_, end - y);
        const std::uint64_t at = offsets_[strip] + std::uint64_t{y - strip * rows_} * rowBytes_;
        return platform::readFileAt(fd_, piece_.get(), n * rowBytes_, at) ? n : 0;
    }
    void deliver(std::uint32_t y, std::uint32_t n, RowSink& sink) const {
        sink.rows(static_cast<int>(y), piece_.get(), rowBytes_, static_cast<int>(n));
    }
    // Rows [from, to) to the sink.
    bool copy(std::uint32_t from, std::uint32_t to, RowSink& sink) {
        for (std::uint32_t y = from; y < to;) {
            const std::uint32_t n = std::min(read(y), to - y);
            if (n == 0) return false;
            deliver(y, n, sink);
            y += n;
        }
        return true;
    }

  private:
    static constexpr std::size_t kPieceBytes = 128 * 1024;
    int fd_;
    const std::uint64_t* offsets_;
    std::uint32_t rows_, height_;
    std::size_t rowBytes_;
    std::uint32_t pieceRows_;
    std::unique_ptr<std::uint8_t[]> piece_;
};

// The strips' offsets when their bytes are what TIFFReadEncodedStrip gives (the usual bit order, which it
// would otherwise reverse); nullptr when not.
const std::uint64_t* straightStrips(TIFF* tif) {
    std::uint16_t fillOrder = 0;
    std::uint64_t* offsets = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fillOrder);
    if (fillOrder != FILLORDER_MSB2LSB || TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) != 1)
        return nullptr;
    return offsets;
}

// Straight strips read from the file, the lower half of the rows on a second thread when the sink can take
// them there.
int readStraightStrips(int fd, const std::uint64_t* offsets, std::uint32_t width, std::uint32_t height,
                       std::uint32_t rows, RowSink& sink, DecodeInfo* info) {
    StripRows mine(fd, offsets, rows, width, height);
    // Nothing of picture size is allocated by the sink until the first rows have been read.
    const std::uint32_t first = mine.read(0);
    if (first == 0 || !startRows(sink, info, PictureFormat::Tiff, width, height, width, height))
        return kConvertDecodeFailed;
    const std::uint32_t strips = (height - 1) / rows + 1;
    const std::uint32_t half = strips >= 4 ? strips / 2 * rows : height;
    RowSink* band = half < height ? sink.splitAt(static_cast<int>(half)) : nullptr;
    std::future<bool> other;
    if (band) {
        try {
            other = std::async(std::launch::async, [=] {
                StripRows theirs(fd, offsets, rows, width, height);
                return theirs.copy(half, height, *band);
            });
        } catch (const std::system_error&) {
            // no second thread: this one reads that band too
        }
    }
    mine.deliver(0, first, sink);
    bool ok = mine.copy(first, band ? half : height, sink);
    if (band) {
        const bool rest = other.valid() ? other.get() : ok && mine.copy(half, height, *band);
        ok = ok && rest;
        if (ok) sink.join();
    }
    return ok ? kConvertOk : kConvertDecodeFailed;
}

int readWholeStrips(TIFF* tif, int fd, std::uint32_t width, std::uint32_t height, std::uint32_t rows,
                    RowSink& sink, DecodeInfo* info) {
    if (const std::uint64_t* offsets = fd >= 0 ? straightStrips(tif) : nullptr)
        return readStraightStrips(fd, offsets, width, height, rows, sink, info);
    const std::size_t rowBytes = std::size_t{width} * 3;
    std::vector<std::uint8_t> strip(rows * rowBytes);
    for (std::uint32_t index = 0, first = 0; first < height; ++index, first += rows) {
        const std::uint32_t count = std::min(rows, height - first);
        const auto bytes = static_cast<tmsize_t>(count * rowBytes);
        if (TIFFReadEncodedStrip(tif, index, strip.data(), bytes) != bytes) return kConvertDecodeFailed;
        // Nothing of picture size is allocated by the sink until the first strip has been read.
        if (index == 0 && !startRows(sink, info, PictureFormat::Tiff, width, height, width, height))
            return kConvertDecodeFailed;
        sink.rows(static_cast<int>(first), strip.data(), rowBytes, static_cast<int>(count));
    }
    return kConvertOk;
}

// Its rows as they are stored: the same pixels as through the RGBA reader, without packing and unpacking
// each one.
int readPlainRgb(TIFF* tif, int fd, std::uint32_t width, std::uint32_t height, RowSink& sink,
                 DecodeInfo* info, std::uint64_t fileSize) {
    if (TIFFScanlineSize64(tif) != std::uint64_t{width} * 3) return kConvertDecodeFailed;
    if (const std::uint32_t rows = wholeStripRows(tif, width, height, fileSize); rows > 0)
        return readWholeStrips(tif, fd, width, height, rows, sink, info);
    std::vector<std::uint8_t> row(std::size_t{width} * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif, row.data(), y, 0) < 0) return kConvertDecodeFailed;
        if (y == 0 && !startRows(sink, info, PictureFormat::Tiff, width, height, width, height))
            return kConvertDecodeFailed;
        sink.row(static_cast<int>(y), row.data());
    }
    return kConvertOk;
}

}  // namespace

int decodeTiff(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    silenceGlobalHandlers();
    if (fseeko(in.file, 0, SEEK_SET) != 0) return kConvertRefused;
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) return kConvertRefused;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kTiffSingleAllocLimit);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quiet, nullptr);
    std::unique_ptr<TIFF, TiffDeleter> tif(TIFFClientOpenExt("picture", "r", in.file, readProc, writeProc,
                                                             seekProc, closeProc, sizeProc, mapProc,
                                                             unmapProc, options.get()));
    if (!tif) return kConvertRefused;
    std::uint32_t width = 0, height = 0;
    if (TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height) != 1)
        return kConvertRefused;

    if (width == 0 || height == 0 || std::uint64_t{width} * height > kMaxDeliveredPixels)
        return kConvertDecodeFailed;
    char message[1024];
    if (!TIFFRGBAImageOK(tif.get(), message)) return kConvertDecodeFailed;
    if (plainRgb(tif.get()))
        return readPlainRgb(tif.get(), fileno(in.file), width, height, sink, info, in.size);
    RgbaReader reader;
    if (!TIFFRGBAImageBegin(&reader.img, tif.get(), 1, message)) return kConvertDecodeFailed;
    reader.begun = true;
    // The reader mirrors the first four orientations upright itself but cannot turn a picture a quarter:
    // those come as stored and the sink sets them upright.
    const int turned =
        reader.img.orientation >= ORIENTATION_LEFTTOP && reader.img.orientation <= ORIENTATION_LEFTBOT
            ? reader.img.orientation
            : 1;
    reader.img.req_orientation = turned != 1 ? reader.img.orientation : ORIENTATION_TOPLEFT;
    const bool flipped = turned == 1 && flipsVertically(reader.img.orientation);
    const bool grey =
        reader.img.photometric == PHOTOMETRIC_MINISBLACK || reader.img.photometric == PHOTOMETRIC_MINISWHITE;
    const bool premultiplied = !(grey && reader.img.alpha == EXTRASAMPLE_UNASSALPHA);

    const std::uint32_t band = bandRows(tif.get(), width, height);
    std::vector<std::uint32_t> abgr(std::size_t{width} * band);
    std::vector<std::uint8_t> rgb(std::size_t{width} * 3);
    for (std::uint32_t first = 0; first < height; first += band) {
        const std::uint32_t rows = std::min(band, height - first);
        reader.img.row_offset = static_cast<int>(first);
        reader.img.col_offset = 0;
        if (!TIFFRGBAImageGet(&reader.img, abgr.data(), width, rows)) return kConvertDecodeFailed;
        // Nothing of picture size is allocated by the sink until the first band has decoded.
        if (first == 0 && !startRows(sink, info, PictureFormat::Tiff, width, height, width, height, turned))
            return kConvertDecodeFailed;
        // A bottom-up file's band of stored rows is a band of picture rows counted from the bottom.
        const std::uint32_t top = flipped ? height - first - rows : first;
        for (std::uint32_t i = 0; i < rows; ++i) {
            const std::uint32_t* packed = abgr.data() + std::size_t{i} * width;
            if (reader.img.alpha)
                compositeOverWhite(packed, rgb.data(), width, premultiplied);
            else
                unpackOpaque(packed, rgb.data(), width);
            sink.row(static_cast<int>(top + i), rgb.data());
        }
    }
    return kConvertOk;
}

}  // namespace tessary::image::decode
