// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG through libjpeg. libjpeg reports errors by calling error_exit, which must not return; it jumps back
// here instead of ending the process. Nothing with a destructor is created between setjmp and the jump.
#include <csetjmp>
#include <cstdio>
#include <utility>

// jpeglib.h needs FILE and size_t declared before it, jerror.h needs jpeglib.h.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "image/decode/decoders.h"
#include "image/decode/exif.h"
#include "image/decode/orientation.h"

namespace tessary::image::decode {
namespace {

struct JpegErrors {
    jpeg_error_mgr mgr;  // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void failJpeg(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Warnings that mean picture data was lost (a cut-off or damaged stream) fail the decoding: libjpeg would
// fill the gap with grey and the operator would burn a picture that is not the file's. Others are ignored.
void onJpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
            failJpeg(cinfo);
        default:
            break;
    }
}

void noOutput(j_common_ptr) {}

// The file read in large pieces: libjpeg decodes a block of Huffman data in its fast path only when the
// buffer holds enough bytes for a whole MCU, which its own 4 KiB file source often does not. The same bytes
// reach the decoder either way; the end of the file is handled as libjpeg's file source handles it.
constexpr std::size_t kSourceBytes = 256 * 1024;

struct FileSource {
    jpeg_source_mgr pub;  // first: libjpeg hands back a pointer to it
    std::FILE* file;
    bool startOfFile;
    JOCTET buffer[kSourceBytes];
};

void initSource(j_decompress_ptr cinfo) { reinterpret_cast<FileSource*>(cinfo->src)->startOfFile = true; }

boolean fillSource(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    std::size_t got = std::fread(src->buffer, 1, kSourceBytes, src->file);
    if (got == 0) {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    src->startOfFile = false;
    return TRUE;
}

void skipSource(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr& src = *cinfo->src;
    auto left = static_cast<std::size_t>(count);
    while (left > src.bytes_in_buffer) {
        left -= src.bytes_in_buffer;
        fillSource(cinfo);
    }
    src.next_input_byte += left;
    src.bytes_in_buffer -= left;
}

void termSource(j_decompress_ptr) {}

void useFileSource(jpeg_decompress_struct& cinfo, std::FILE* file) {
    auto* src = static_cast<FileSource*>((*cinfo.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                                   JPOOL_PERMANENT, sizeof(FileSource)));
    src->pub.init_source = initSource;
    src->pub.fill_input_buffer = fillSource;
    src->pub.skip_input_data = skipSource;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = termSource;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    src->file = file;
    src->startOfFile = true;
    cinfo.src = &src->pub;
}

// Owns the decompressor; jpeg_destroy_decompress copes with a struct that was never fully created.
struct Decompressor {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    Decompressor() {
        cinfo.err = jpeg_std_error(&errors.mgr);
        errors.mgr.error_exit = failJpeg;
        errors.mgr.emit_message = onJpegMessage;
        errors.mgr.output_message = noOutput;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// libjpeg's own pool for the coefficient buffer of a progressive picture; picture size is limited before
// this, it is a second guard.
constexpr long kJpegMemoryLimit = 1'500'000'000;

// The orientation of the first EXIF block among the saved APP1 markers; 1 without one.
int storedOrientation(const jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && m->data[0] == 'E' && m->data[1] == 'x')
            return exifOrientation(m->data, m->data_length);
    }
    return 1;
}

// The smallest DCT scale M/8 whose output still covers the drawn size on both sides. The drawn size is
// asked for the upright picture; a picture stored turned a quarter has its sides swapped.
void chooseScale(jpeg_decompress_struct& cinfo, const DecodeOptions& options, int orientation) {
    cinfo.scale_num = 8;
    cinfo.scale_denom = 8;
    if (!options.drawnSize) return;
    const bool swap = swapsSides(orientation);
    const int ownWidth = static_cast<int>(cinfo.image_width),
              ownHeight = static_cast<int>(cinfo.image_height);
    auto [drawnWidth, drawnHeight] =
        swap ? options.drawnSize(ownHeight, ownWidth) : options.drawnSize(ownWidth, ownHeight);
    if (swap) std::swap(drawnWidth, drawnHeight);
    for (unsigned num = 1; num < 8; ++num) {
        cinfo.scale_num = num;
        jpeg_calc_output_dimensions(&cinfo);
        if (static_cast<long long>(cinfo.output_width) >= drawnWidth &&
            static_cast<long long>(cinfo.output_height) >= drawnHeight)
            return;
    }
    cinfo.scale_num = 8;
}

// Cyan, magenta, yellow and black as printed on white: a colour is what its ink and the black leave of
// white, (255 - ink) (255 - black) / 255, rounded. Inverted files store 255 - ink.
void inksToRgb(const JSAMPLE* inks, JSAMPLE* rgb, JDIMENSION width, bool inverted) {
    const unsigned flip = inverted ? 0 : 255;  // a stored value to 255 - ink
    for (JDIMENSION x = 0; x < width; ++x, inks += 4, rgb += 3) {
        const unsigned notBlack = inks[3] ^ flip;
        for (int i = 0; i < 3; ++i) rgb[i] = static_cast<JSAMPLE>(((inks[i] ^ flip) * notBlack + 127) / 255);
    }
}

}  // namespace

int decodeJpeg(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info) {
    unsigned char magic[2];
    if (!readAt(in, 0, magic, 2) || magic[0] != 0xFF || magic[1] != 0xD8) return kConvertRefused;
    if (fseeko(in.file, 0, SEEK_SET) != 0) return kConvertRefused;

    Decompressor d;
    jpeg_decompress_struct& cinfo = d.cinfo;
    volatile bool headerRead = false;
    if (setjmp(d.errors.jump)) return headerRead ? kConvertDecodeFailed : kConvertRefused;

    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kJpegMemoryLimit;
    useFileSource(cinfo, in.file);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return kConvertRefused;
    // Four components are inks, CMYK or YCCK (which libjpeg turns into CMYK).
    const bool inks = cinfo.num_components == 4 &&
                      (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK);
    if (cinfo.num_components != 1 && cinfo.num_components != 3 && !inks) return kConvertRefused;
    headerRead = true;

    cinfo.out_color_space = inks ? JCS_CMYK : JCS_RGB;
    const int orientation = storedOrientation(cinfo);
    chooseScale(cinfo, options, orientation);
    jpeg_calc_output_dimensions(&cinfo);
    const std::uint64_t ownPixels = static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height;
    const bool scaled = cinfo.scale_num < cinfo.scale_denom;
    // Only a single-scan stream is decoded without a full-size coefficient buffer, and only a Huffman-coded
    // one reports missing data: arithmetic coding legally pads a cut-off scan with zeros, so a few hundred
    // bytes could otherwise keep the decoder busy for seconds.
    const bool streamed = !jpeg_has_multiple_scans(&cinfo) && !cinfo.arith_code;
    const std::uint64_t ownLimit = scaled && streamed ? kMaxScaledJpegPixels : kMaxDeliveredPixels;
    if (ownPixels > ownLimit) return kConvertDecodeFailed;
    if (!startRows(sink, info, PictureFormat::Jpeg, cinfo.image_width, cinfo.image_height, cinfo.output_width,
                   cinfo.output_height, orientation))
        return kConvertDecodeFailed;

    jpeg_start_decompress(&cinfo);
    const int components = inks ? 4 : 3;
    if (cinfo.output_components != components) return kConvertDecodeFailed;
    const int batch = cinfo.rec_outbuf_height > 0 ? cinfo.rec_outbuf_height : 1;
    const auto common = reinterpret_cast<j_common_ptr>(&cinfo);
    JSAMPARRAY rows = (*cinfo.mem->alloc_sarray)(common, JPOOL_IMAGE, cinfo.output_width * components,
                                                 static_cast<JDIMENSION>(batch));
    JSAMPARRAY rgb =
        inks ? (*cinfo.mem->alloc_sarray)(common, JPOOL_IMAGE, cinfo.output_width * 3, 1) : nullptr;
    // Print programs write their inks inverted (0 is full ink) and mark such files with an Adobe marker.
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(batch));
        if (got == 0) return kConvertDecodeFailed;
        for (JDIMENSION i = 0; i < got; ++i) {
            if (inks) inksToRgb(rows[i], rgb[0], cinfo.output_width, inverted);
            sink.row(static_cast<int>(first + i), inks ? rgb[0] : rows[i]);
        }
    }
    // Whatever follows the last row is not read: trailing data cannot change the picture.
    return kConvertOk;
}

}  // namespace tessary::image::decode
