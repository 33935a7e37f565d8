// SPDX-License-Identifier: GPL-3.0-or-later
// Every file of the picture corpus in tests/data through the converter: accepted with its size and a few
// pixels read independently of this code, or refused leaving the destination as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "decode_test_support.h"
#include "image/decode/orientation.h"

namespace tessary::image::testing {
namespace {

enum Outcome { kAccept, kRefuse };

struct Probe {
    int x, y;
    std::array<int, 3> rgb;
};

struct CorpusCase {
    const char* file;
    Outcome outcome;
    int width = 0;
    int height = 0;
    int tolerance = 0;  // 1 where the reference reader rounds 16-bit samples or alpha differently
    std::vector<Probe> probes = {};
};

// Pixel values: ImageMagick's reading (composited over white, CMYK converted to sRGB) taken once; for 16-bit
// PNG netpbm's, put over white at 16 bits.
// clang-format off
const CorpusCase kCorpus[] = {
    {"bmp/Core_8_Bit.bmp", kAccept, 435, 353, 0, {{0, 0, {192, 128, 64}}, {217, 176, {32, 192, 64}}, {434, 352, {128, 0, 0}}, {145, 235, {32, 192, 64}}}},
    {"bmp/Info_R8_G8_B8.bmp", kAccept, 6, 6, 0, {{0, 0, {255, 0, 0}}, {3, 3, {0, 255, 0}}, {5, 5, {0, 0, 255}}, {2, 4, {0, 0, 255}}}},
    {"bmp/Info_R8_G8_B8_Top_Down.bmp", kAccept, 6, 6, 0, {{0, 0, {255, 0, 0}}, {3, 3, {0, 255, 0}}, {5, 5, {0, 0, 255}}, {2, 4, {0, 0, 255}}}},
    {"bmp/V4-bitfields.bmp", kAccept, 16, 16, 0, {{0, 0, {255, 255, 255}}, {8, 8, {0, 0, 255}}, {15, 15, {255, 255, 255}}, {5, 10, {255, 255, 255}}}},
    {"bmp/ba-bm.bmp", kRefuse},
    {"bmp/badbitcount.bmp", kRefuse},
    {"bmp/badfilesize.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 255, 255}}, {63, 32, {255, 255, 255}}, {126, 63, {0, 0, 0}}, {42, 42, {255, 255, 255}}}},  // pixels: Pillow's reading; ImageMagick refuses the file-size field
    {"bmp/badheadersize.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 255, 255}}, {63, 32, {255, 255, 255}}, {126, 63, {0, 0, 0}}, {42, 42, {255, 255, 255}}}},
    {"bmp/badplanes.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 255, 255}}, {63, 32, {255, 255, 255}}, {126, 63, {0, 0, 0}}, {42, 42, {255, 255, 255}}}},  // pixels: Pillow's reading; ImageMagick refuses the planes
    {"bmp/badrle.bmp", kAccept, 127, 64, 0, {{0, 0, {128, 0, 255}}, {63, 32, {128, 0, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {128, 0, 255}}}},  // runs past a row's end are dropped
    {"bmp/badwidth.bmp", kRefuse},
    {"bmp/derived_rgb24_truncated.bmp", kRefuse},
    {"bmp/hopper_rle8.bmp", kAccept, 128, 128, 0, {{0, 0, {20, 20, 67}}, {64, 64, {168, 78, 48}}, {127, 127, {131, 153, 200}}, {42, 85, {18, 11, 12}}}},
    {"bmp/hopper_v5hdr.bmp", kAccept, 128, 128, 0, {{0, 0, {20, 21, 67}}, {64, 64, {173, 70, 55}}, {127, 127, {134, 160, 209}}, {42, 85, {16, 12, 13}}}},
    {"bmp/oregon_DSC_0307_small.bmp", kAccept, 300, 225, 0, {{0, 0, {27, 85, 133}}, {150, 112, {242, 253, 255}}, {299, 224, {107, 137, 148}}, {100, 150, {43, 49, 49}}}},
    {"bmp/os2v1_palette-1c-8b.bmp", kAccept, 157, 151, 0, {{0, 0, {170, 53, 40}}, {78, 75, {76, 19, 14}}, {156, 150, {170, 207, 169}}, {52, 100, {110, 42, 35}}}},
    {"bmp/os2v1_rgb-3c-8b.bmp", kAccept, 157, 151, 0, {{0, 0, {162, 52, 53}}, {78, 75, {73, 15, 13}}, {156, 150, {178, 202, 160}}, {52, 100, {106, 39, 33}}}},
    {"bmp/pal1.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 255, 255}}, {63, 32, {255, 255, 255}}, {126, 63, {0, 0, 0}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal4.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {0, 0, 0}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal4rle.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {0, 0, 0}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal8.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal8os2.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal8os2v2-16.bmp", kRefuse},
    {"bmp/pal8os2v2.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {255, 255, 255}}}},  // pixels: Pillow's reading (ImageMagick takes the colour table from the wrong place)
    {"bmp/pal8rle.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal8topdown.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal8v4.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {255, 255, 255}}}},
    {"bmp/pal8v5.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {102, 85, 102}}, {42, 42, {255, 255, 255}}}},
    {"bmp/reallybig.bmp", kRefuse},
    {"bmp/rgb16-565.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {99, 97, 123}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb16.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {99, 99, 123}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb24.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb24bf.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},  // bit fields spelling out plain blue-green-red
    {"bmp/rgb24jpeg.bmp", kRefuse},
    {"bmp/rgb24largepal.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb24lprof.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb24pal.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb24png.bmp", kRefuse},
    {"bmp/rgb24prof.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb24prof2.bmp", kAccept, 127, 64, 0, {{0, 0, {0, 255, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb24rle24.bmp", kRefuse},
    {"bmp/rgb32.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb32bf.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgb32os2.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"bmp/rgba32-1.bmp", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 59, 59}}}},
    {"bmp/rle4deltaXY.bmp", kAccept, 5, 5, 0, {{0, 0, {255, 255, 255}}, {2, 2, {0, 0, 0}}, {4, 4, {255, 255, 255}}, {1, 3, {0, 0, 0}}}},
    {"bmp/rle8.bmp", kAccept, 5, 5, 0, {{0, 0, {255, 255, 255}}, {2, 2, {0, 0, 0}}, {4, 4, {255, 255, 255}}, {1, 3, {0, 0, 0}}}},
    {"bmp/rletopdown.bmp", kRefuse},
    {"bmp/shira_bird8.bmp", kAccept, 192, 144, 0, {{0, 0, {146, 134, 126}}, {96, 72, {64, 62, 60}}, {191, 143, {117, 87, 82}}, {64, 96, {202, 202, 196}}}},
    {"bmp/shortfile.bmp", kRefuse},
    {"bmp/vgl_6434_0018a.bmp", kAccept, 119, 96, 0, {{0, 0, {0, 100, 133}}, {59, 48, {124, 124, 124}}, {118, 95, {0, 116, 155}}, {39, 64, {0, 100, 133}}}},
    {"jpeg/0x00-to-0xFF-between-segments.jpg", kAccept, 16, 16, 0, {{0, 0, {255, 253, 255}}, {8, 8, {16, 15, 143}}, {15, 15, {255, 255, 251}}, {5, 10, {238, 236, 255}}}},  // junk between segments, no picture data lost
    {"jpeg/Landscape_1.jpg", kAccept, 1800, 1200, 0, {{0, 0, {111, 157, 217}}, {900, 600, {254, 255, 255}}, {1799, 1199, {32, 31, 29}}, {600, 800, {79, 100, 105}}}},
    {"jpeg/Landscape_6.jpg", kAccept, 1800, 1200, 0, {{1799, 0, {63, 49, 38}}, {899, 600, {115, 131, 146}}, {0, 1199, {85, 99, 99}}, {599, 400, {217, 225, 238}}}},  // stored turned, set upright
    {"jpeg/derived_testorig_cut_in_header.jpg", kRefuse},
    {"jpeg/gray_rst_markers.jpeg", kAccept, 508, 349, 0, {{0, 0, {255, 255, 255}}, {254, 174, {46, 46, 46}}, {507, 348, {255, 255, 255}}, {169, 232, {91, 91, 91}}}},
    {"jpeg/hopper.jpg", kAccept, 128, 128, 0, {{0, 0, {20, 21, 67}}, {64, 64, {173, 70, 55}}, {127, 127, {134, 160, 209}}, {42, 85, {15, 11, 12}}}},
    {"jpeg/hopper_16bit_qtables.jpg", kAccept, 128, 128, 0, {{0, 0, {15, 5, 65}}, {64, 64, {203, 110, 69}}, {127, 127, {129, 148, 181}}, {42, 85, {13, 13, 13}}}},
    {"jpeg/hopper_gray.jpg", kAccept, 128, 128, 0, {{0, 0, {26, 26, 26}}, {64, 64, {99, 99, 99}}, {127, 127, {158, 158, 158}}, {42, 85, {12, 12, 12}}}},
    {"jpeg/icc_profile_big.jpg", kAccept, 425, 250, 0, {{0, 0, {2, 23, 90}}, {212, 125, {11, 109, 198}}, {424, 249, {241, 242, 237}}, {141, 166, {106, 159, 211}}}},
    {"jpeg/junk_jpeg_header.jpg", kAccept, 1024, 768, 0, {{0, 0, {164, 203, 246}}, {512, 384, {146, 130, 117}}, {1023, 767, {19, 15, 12}}, {341, 512, {33, 25, 14}}}},
    {"jpeg/monkey12.jpg", kRefuse},
    {"jpeg/pil_sample_cmyk.jpg", kAccept, 100, 100, 0, {{0, 0, {255, 13, 25}}, {50, 50, {1, 4, 5}}, {99, 99, {1, 4, 5}}, {33, 66, {1, 4, 5}}}},
    {"jpeg/pil_sample_rgb.jpg", kAccept, 100, 100, 0, {{0, 0, {231, 32, 25}}, {50, 50, {1, 0, 0}}, {99, 99, {0, 0, 0}}, {33, 66, {0, 0, 0}}}},
    {"jpeg/progressive_cat.jpg", kAccept, 320, 240, 0, {{0, 0, {142, 152, 115}}, {160, 120, {213, 220, 230}}, {319, 239, {106, 111, 107}}, {106, 160, {31, 30, 35}}}},
    {"jpeg/testimgari.jpg", kAccept, 227, 149, 0, {{0, 0, {48, 47, 45}}, {113, 74, {242, 45, 52}}, {226, 148, {40, 47, 39}}, {75, 99, {212, 56, 43}}}},
    {"jpeg/testorig.jpg", kAccept, 227, 149, 0, {{0, 0, {48, 47, 45}}, {113, 74, {244, 45, 52}}, {226, 148, {39, 46, 38}}, {75, 99, {212, 56, 43}}}},
    {"jpeg/truncated_jpeg.jpg", kRefuse},  // cut short: lost picture data fails the decoding
    {"jpeg/ultrahdr_truncated.jpg", kRefuse},  // cut short: lost picture data fails the decoding
    {"jpeg/xmp_test.jpg", kAccept, 2000, 1072, 0, {{0, 0, {95, 95, 93}}, {1000, 536, {163, 167, 152}}, {1999, 1071, {96, 96, 98}}, {666, 714, {137, 135, 136}}}},
    {"misnamed/bmp24_data_named.pcx", kAccept, 127, 64, 0, {{0, 0, {255, 0, 0}}, {63, 32, {255, 255, 255}}, {126, 63, {96, 96, 126}}, {42, 42, {255, 255, 255}}}},
    {"misnamed/jpeg_data_named.png", kAccept, 227, 149, 0, {{0, 0, {48, 47, 45}}, {113, 74, {244, 45, 52}}, {226, 148, {39, 46, 38}}, {75, 99, {212, 56, 43}}}},
    {"misnamed/png_data_named.jpg", kAccept, 32, 32, 1, {{0, 0, {255, 255, 255}}, {16, 16, {126, 255, 124}}, {31, 31, {0, 32, 255}}, {10, 21, {173, 255, 224}}}},
    {"misnamed/text_named.bmp", kRefuse},
    {"pcd/derived_hopper_padded_1MiB.pcd", kAccept, 768, 512, 0, {{0, 0, {0, 150, 0}}, {384, 256, {57, 255, 13}}, {100, 400, {0, 191, 0}}, {700, 30, {165, 77, 0}}}},  // pixels: the file's YCC samples through the Photo CD formulas
    {"pcd/derived_hopper_padded_1MiB_rot90.pcd", kAccept, 768, 512, 0, {{0, 0, {0, 150, 0}}, {384, 256, {57, 255, 13}}, {100, 400, {0, 191, 0}}, {700, 30, {165, 77, 0}}}},  // the base image as stored, not turned
    {"pcd/exiftool_PhotoCD_truncated.pcd", kRefuse},
    {"pcx/01r_00.pcx", kRefuse},  // 12 bytes per line cannot hold 88 pixels
    {"pcx/1plane1bppCompressed.pcx", kRefuse},
    {"pcx/1plane1bppUncompressed.pcx", kRefuse},
    {"pcx/1plane24bppCompressed.pcx", kRefuse},  // one plane of 24 bits has no agreed layout
    {"pcx/1plane2bppCompressed.pcx", kRefuse},
    {"pcx/1plane4bppCompressed.pcx", kRefuse},
    {"pcx/1plane8bppCompressed.pcx", kAccept, 10, 10, 0, {{0, 0, {255, 255, 255}}, {5, 5, {255, 0, 0}}, {9, 9, {255, 255, 255}}, {3, 6, {255, 255, 255}}}},
    {"pcx/1plane8bppUncompressed.pcx", kAccept, 10, 10, 0, {{0, 0, {255, 255, 255}}, {5, 5, {255, 0, 0}}, {9, 9, {255, 255, 255}}, {3, 6, {255, 255, 255}}}},  // stored plain (encoding 0)
    {"pcx/2plane1bppCompressed.pcx", kRefuse},
    {"pcx/3plane1bppCompressed.pcx", kRefuse},
    {"pcx/3plane8bppCompressed.pcx", kAccept, 10, 10, 0, {{0, 0, {255, 255, 255}}, {5, 5, {255, 0, 0}}, {9, 9, {255, 255, 255}}, {3, 6, {255, 255, 255}}}},
    {"pcx/3plane8bppUncompressed.pcx", kAccept, 10, 10, 0, {{0, 0, {255, 255, 255}}, {5, 5, {255, 0, 0}}, {9, 9, {255, 255, 255}}, {3, 6, {255, 255, 255}}}},  // stored plain (encoding 0)
    {"pcx/4plane1bppCompressed.pcx", kRefuse},
    {"pcx/derived_oregon_24bit_truncated.pcx", kRefuse},
    {"pcx/exiftool_PCX.pcx", kAccept, 8, 8, 0, {{0, 0, {255, 0, 0}}, {4, 4, {255, 0, 0}}, {7, 7, {255, 0, 0}}, {2, 5, {255, 0, 0}}}},
    {"pcx/hopper.dcx", kRefuse},
    {"pcx/odd_stride.pcx", kAccept, 371, 150, 0, {{0, 0, {255, 255, 255}}, {185, 75, {255, 255, 255}}, {370, 149, {255, 255, 255}}, {123, 100, {0, 0, 255}}}},
    {"pcx/oregon_DSC_0307_small_24bit.pcx", kAccept, 300, 225, 0, {{0, 0, {27, 85, 133}}, {150, 112, {242, 253, 255}}, {299, 224, {107, 137, 148}}, {100, 150, {43, 49, 49}}}},
    {"pcx/ossfuzz-4836216264589312.pcx", kRefuse},
    {"pcx/p_4_planes.pcx", kRefuse},
    {"pcx/pil184.pcx", kRefuse},
    {"png/badadler.png", kRefuse},
    {"png/badcrc.png", kRefuse},
    {"png/basi0g01.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {0, 0, 0}}, {31, 31, {0, 0, 0}}, {10, 21, {0, 0, 0}}}},
    {"png/basi0g08.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {18, 18, 18}}, {31, 31, {3, 3, 3}}, {10, 21, {172, 172, 172}}}},
    {"png/basi0g16.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {175, 175, 175}}, {31, 31, {1, 1, 1}}, {10, 21, {131, 131, 131}}}},  // pixels: netpbm's reading (ImageMagick applies the gamma chunk to 16-bit samples)
    {"png/basi2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {239, 255, 255}}, {31, 31, {0, 0, 0}}, {10, 21, {85, 255, 255}}}},
    {"png/basi3p08.png", kAccept, 32, 32, 0, {{0, 0, {1, 0, 0}}, {16, 16, {1, 255, 1}}, {31, 31, {255, 254, 255}}, {10, 21, {255, 255, 85}}}},
    {"png/basi4a08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {187, 187, 187}}, {31, 31, {0, 0, 0}}, {10, 21, {199, 199, 199}}}},
    {"png/basi6a08.png", kAccept, 32, 32, 1, {{0, 0, {255, 255, 255}}, {16, 16, {126, 255, 124}}, {31, 31, {0, 32, 255}}, {10, 21, {173, 255, 224}}}},
    {"png/basn0g01.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {0, 0, 0}}, {31, 31, {0, 0, 0}}, {10, 21, {0, 0, 0}}}},
    {"png/basn0g02.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {0, 0, 0}}, {31, 31, {170, 170, 170}}, {10, 21, {255, 255, 255}}}},
    {"png/basn0g04.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {136, 136, 136}}, {31, 31, {238, 238, 238}}, {10, 21, {119, 119, 119}}}},
    {"png/basn0g08.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {18, 18, 18}}, {31, 31, {3, 3, 3}}, {10, 21, {172, 172, 172}}}},
    {"png/basn0g16.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {175, 175, 175}}, {31, 31, {1, 1, 1}}, {10, 21, {131, 131, 131}}}},  // pixels: netpbm's reading (ImageMagick applies the gamma chunk to 16-bit samples)
    {"png/basn2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {239, 255, 255}}, {31, 31, {0, 0, 0}}, {10, 21, {85, 255, 255}}}},
    {"png/basn2c16.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 0}}, {16, 16, {123, 123, 8}}, {31, 31, {0, 0, 255}}, {10, 21, {173, 82, 0}}}},  // pixels: netpbm's reading (ImageMagick applies the gamma chunk to 16-bit samples)
    {"png/basn3p01.png", kAccept, 32, 32, 0, {{0, 0, {238, 255, 34}}, {16, 16, {238, 255, 34}}, {31, 31, {238, 255, 34}}, {10, 21, {34, 102, 255}}}},
    {"png/basn3p02.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 255}}, {16, 16, {0, 0, 255}}, {31, 31, {0, 0, 255}}, {10, 21, {255, 0, 0}}}},
    {"png/basn3p04.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 0}}, {16, 16, {0, 255, 255}}, {31, 31, {255, 0, 187}}, {10, 21, {0, 255, 153}}}},
    {"png/basn3p08.png", kAccept, 32, 32, 0, {{0, 0, {1, 0, 0}}, {16, 16, {1, 255, 1}}, {31, 31, {255, 254, 255}}, {10, 21, {255, 255, 85}}}},
    {"png/basn4a08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {187, 187, 187}}, {31, 31, {0, 0, 0}}, {10, 21, {199, 199, 199}}}},
    {"png/basn4a16.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {8, 8, 8}}, {31, 31, {255, 255, 255}}, {10, 21, {90, 90, 90}}}},  // pixels: netpbm's reading (ImageMagick applies the gamma chunk to 16-bit samples)
    {"png/basn6a08.png", kAccept, 32, 32, 1, {{0, 0, {255, 255, 255}}, {16, 16, {126, 255, 124}}, {31, 31, {0, 32, 255}}, {10, 21, {173, 255, 224}}}},
    {"png/basn6a16.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {8, 8, 255}}, {31, 31, {255, 255, 255}}, {10, 21, {255, 90, 90}}}},  // pixels: netpbm's reading (ImageMagick applies the gamma chunk to 16-bit samples)
    {"png/bgai4a08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {187, 187, 187}}, {31, 31, {0, 0, 0}}, {10, 21, {199, 199, 199}}}},
    {"png/ch1n3p04.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 0}}, {16, 16, {0, 255, 255}}, {31, 31, {255, 0, 187}}, {10, 21, {0, 255, 153}}}},
    {"png/cs3n2c16.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 0}}, {16, 16, {0, 255, 0}}, {31, 31, {0, 32, 255}}, {10, 21, {0, 255, 159}}}},  // pixels: netpbm's reading (ImageMagick applies the gamma chunk to 16-bit samples)
    {"png/cs5n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 0}}, {16, 16, {0, 255, 0}}, {31, 31, {0, 33, 255}}, {10, 21, {0, 255, 156}}}},
    {"png/ctzn0g04.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {34, 34, 34}}, {31, 31, {255, 255, 255}}, {10, 21, {221, 221, 221}}}},
    {"png/derived_monkey16_padded_over_1MiB.png", kAccept, 149, 227, 0, {{0, 0, {136, 148, 153}}, {74, 113, {99, 123, 145}}, {148, 226, {160, 179, 192}}, {49, 151, {71, 91, 106}}}},
    {"png/exif2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 119}}, {16, 16, {255, 255, 119}}, {31, 31, {255, 255, 119}}, {10, 21, {119, 204, 119}}}},
    {"png/f00n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 8}}, {16, 16, {0, 0, 0}}, {31, 31, {0, 32, 255}}, {10, 21, {1, 106, 66}}}},
    {"png/f01n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 8}}, {16, 16, {0, 0, 0}}, {31, 31, {0, 32, 255}}, {10, 21, {1, 106, 66}}}},
    {"png/f02n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 8}}, {16, 16, {4, 255, 0}}, {31, 31, {0, 32, 255}}, {10, 21, {1, 106, 66}}}},
    {"png/f03n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 8}}, {16, 16, {4, 255, 0}}, {31, 31, {0, 32, 255}}, {10, 21, {1, 106, 66}}}},
    {"png/f04n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 8}}, {16, 16, {4, 255, 0}}, {31, 31, {0, 32, 255}}, {10, 21, {1, 106, 66}}}},
    {"png/f99n0g04.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {255, 255, 255}}, {31, 31, {0, 0, 0}}, {10, 21, {221, 221, 221}}}},
    {"png/g03n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 0, 0}}, {16, 16, {0, 200, 0}}, {31, 31, {0, 0, 0}}, {10, 21, {222, 222, 255}}}},
    {"png/g25n3p04.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 0}}, {16, 16, {0, 45, 45}}, {31, 31, {0, 0, 0}}, {10, 21, {255, 92, 255}}}},
    {"png/huge_IDAT.png", kRefuse},
    {"png/invalid_palette_index.png", kAccept, 10, 10, 0, {{0, 0, {0, 0, 0}}, {5, 5, {0, 0, 0}}, {9, 9, {0, 0, 0}}, {3, 6, {0, 0, 0}}}},
    {"png/kodim23.png", kAccept, 768, 512, 0, {{0, 0, {116, 116, 88}}, {384, 256, {105, 132, 63}}, {767, 511, {0, 0, 0}}, {256, 341, {255, 205, 0}}}},
    {"png/monkey16.png", kAccept, 149, 227, 0, {{0, 0, {136, 148, 153}}, {74, 113, {99, 123, 145}}, {148, 226, {160, 179, 192}}, {49, 151, {71, 91, 106}}}},
    {"png/oi9n0g16.png", kAccept, 32, 32, 0, {{0, 0, {0, 0, 0}}, {16, 16, {175, 175, 175}}, {31, 31, {1, 1, 1}}, {10, 21, {131, 131, 131}}}},  // pixels: netpbm's reading (ImageMagick applies the gamma chunk to 16-bit samples)
    {"png/pp0n6a08.png", kAccept, 32, 32, 1, {{0, 0, {255, 255, 255}}, {16, 16, {246, 255, 255}}, {31, 31, {0, 0, 0}}, {10, 21, {200, 255, 255}}}},
    {"png/s01i3p01.png", kAccept, 1, 1, 0, {{0, 0, {0, 0, 255}}}},
    {"png/s02n3p01.png", kAccept, 2, 2, 0, {{0, 0, {0, 255, 255}}, {1, 1, {0, 255, 255}}, {0, 1, {0, 255, 255}}}},
    {"png/s09n3p02.png", kAccept, 9, 9, 0, {{0, 0, {0, 255, 0}}, {4, 4, {0, 255, 0}}, {8, 8, {0, 255, 0}}, {3, 6, {255, 0, 255}}}},
    {"png/s39i3p04.png", kAccept, 39, 39, 0, {{0, 0, {0, 0, 0}}, {19, 19, {0, 119, 255}}, {38, 38, {255, 255, 0}}, {13, 26, {255, 255, 0}}}},
    {"png/s40n3p04.png", kAccept, 40, 40, 0, {{0, 0, {255, 0, 0}}, {20, 20, {0, 0, 255}}, {39, 39, {119, 255, 0}}, {13, 26, {255, 119, 0}}}},
    {"png/tbbn3p08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {158, 158, 158}}, {31, 31, {255, 255, 255}}, {10, 21, {0, 151, 0}}}},
    {"png/tbrn2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {158, 158, 158}}, {31, 31, {255, 255, 255}}, {10, 21, {0, 151, 0}}}},
    {"png/tm3n3p02.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 255}}, {16, 16, {0, 0, 255}}, {31, 31, {0, 0, 255}}, {10, 21, {85, 85, 255}}}},
    {"png/tp0n3p08.png", kAccept, 32, 32, 0, {{0, 0, {127, 127, 127}}, {16, 16, {158, 158, 158}}, {31, 31, {127, 127, 127}}, {10, 21, {0, 151, 0}}}},
    {"png/truncated_image.png", kRefuse},
    {"png/x_unexpected_eof.png", kRefuse},
    {"png/xc1n0g08.png", kRefuse},
    {"png/xc9n2c08.png", kRefuse},
    {"png/xcrn0g04.png", kRefuse},
    {"png/xcsn0g01.png", kRefuse},
    {"png/xd0n2c08.png", kRefuse},
    {"png/xd3n2c08.png", kRefuse},
    {"png/xd9n2c08.png", kRefuse},
    {"png/xdtn0g01.png", kRefuse},
    {"png/xhdn0g08.png", kRefuse},
    {"png/xlfn0g04.png", kRefuse},
    {"png/xs1n0g01.png", kRefuse},
    {"png/xs2n0g01.png", kRefuse},
    {"png/xs4n0g01.png", kRefuse},
    {"png/xs7n0g01.png", kRefuse},
    {"png/z00n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 0}}, {16, 16, {123, 123, 8}}, {31, 31, {0, 0, 255}}, {10, 21, {173, 82, 0}}}},
    {"png/z09n2c08.png", kAccept, 32, 32, 0, {{0, 0, {255, 255, 0}}, {16, 16, {123, 123, 8}}, {31, 31, {0, 0, 255}}, {10, 21, {173, 82, 0}}}},
    {"tiff/12bit.cropped.tif", kRefuse},
    {"tiff/16bit.deflate.tif", kAccept, 64, 64, 0, {{0, 0, {1, 1, 1}}, {32, 32, {1, 1, 1}}, {63, 63, {1, 1, 1}}, {21, 42, {1, 1, 1}}}},
    {"tiff/1pagefax.tif", kAccept, 1728, 1146, 0, {{0, 0, {255, 255, 255}}, {864, 573, {255, 255, 255}}, {1727, 1145, {255, 255, 255}}, {576, 764, {255, 255, 255}}}},
    {"tiff/BlueMarble_GeoTIFF_LZW_NoPredictor_Tiled.tif", kAccept, 360, 180, 0, {{0, 0, {8, 18, 46}}, {180, 90, {1, 6, 25}}, {359, 179, {233, 233, 233}}, {120, 120, {53, 62, 27}}}},
    {"tiff/IndexColorPalette.tif", kAccept, 252, 265, 0, {{0, 0, {133, 121, 121}}, {126, 132, {255, 0, 0}}, {251, 264, {56, 52, 44}}, {84, 176, {255, 0, 0}}}},
    {"tiff/IndexColorPaletteTiled.tif", kAccept, 128, 128, 0, {{0, 0, {255, 128, 0}}, {64, 64, {255, 0, 0}}, {127, 127, {255, 0, 0}}, {42, 85, {255, 0, 0}}}},
    {"tiff/TestJpegProgressive.tiff", kAccept, 264, 264, 0, {{0, 0, {255, 156, 156}}, {132, 132, {155, 255, 201}}, {263, 263, {242, 0, 255}}, {88, 176, {110, 255, 63}}}},
    {"tiff/TestJpegTiles.tiff", kAccept, 256, 256, 0, {{0, 0, {249, 2, 0}}, {128, 128, {0, 254, 129}}, {255, 255, {246, 0, 255}}, {85, 170, {87, 254, 0}}}},
    {"tiff/TransparencyTestTileUnassociated.tif", kAccept, 100, 100, 0, {{0, 0, {255, 255, 255}}, {50, 50, {119, 255, 119}}, {99, 99, {255, 255, 255}}, {33, 66, {255, 0, 0}}}},
    {"tiff/bad-offsets-lengths.tiff", kAccept, 2, 2, 0, {{0, 0, {255, 255, 255}}, {1, 1, {255, 255, 255}}, {0, 1, {0, 0, 0}}}},  // its one strip is complete
    {"tiff/cmyk_u8_trunc_case.tif", kAccept, 1, 1, 0, {{0, 0, {126, 126, 126}}}},  // its one strip is complete
    {"tiff/copyleft.tiff", kAccept, 220, 220, 0, {{0, 0, {255, 255, 255}}, {110, 110, {255, 255, 255}}, {219, 219, {255, 255, 255}}, {73, 146, {0, 0, 0}}}},
    {"tiff/crash-0c7e0e8e11ce787078f00b5b0ca409a167f070e0.tif", kRefuse},
    {"tiff/derived_rgb-3c-8b_truncated_ifd_lost.tiff", kRefuse},
    {"tiff/derived_tiff_adobe_deflate_truncated.tif", kRefuse},
    {"tiff/hopper.Lab.tif", kAccept, 128, 128, 0, {}},  // size only: the reader's CIELab conversion is its own
    {"tiff/hopper2_gray_2bpp.tif", kAccept, 128, 128, 0, {{0, 0, {0, 0, 0}}, {64, 64, {85, 85, 85}}, {127, 127, {170, 170, 170}}, {42, 85, {0, 0, 0}}}},
    {"tiff/hopper_bigtiff.tif", kAccept, 128, 128, 0, {{0, 0, {20, 21, 67}}, {64, 64, {173, 70, 55}}, {127, 127, {134, 160, 209}}, {42, 85, {16, 12, 13}}}},
    {"tiff/hopper_g4.tif", kAccept, 128, 128, 0, {{0, 0, {0, 0, 0}}, {64, 64, {255, 255, 255}}, {127, 127, {255, 255, 255}}, {42, 85, {0, 0, 0}}}},
    {"tiff/hopper_gray_4bpp.tif", kAccept, 128, 128, 0, {{0, 0, {34, 34, 34}}, {64, 64, {85, 85, 85}}, {127, 127, {153, 153, 153}}, {42, 85, {17, 17, 17}}}},
    {"tiff/hopper_jpg.tif", kAccept, 128, 128, 0, {{0, 0, {20, 20, 70}}, {64, 64, {173, 70, 55}}, {127, 127, {131, 160, 212}}, {42, 85, {15, 12, 12}}}},
    {"tiff/hopper_lzma.tif", kAccept, 128, 128, 0, {{0, 0, {20, 21, 67}}, {64, 64, {173, 70, 55}}, {127, 127, {134, 160, 209}}, {42, 85, {16, 12, 13}}}},
    {"tiff/hopper_lzw.tif", kAccept, 128, 128, 0, {{0, 0, {20, 21, 67}}, {64, 64, {173, 70, 55}}, {127, 127, {134, 160, 209}}, {42, 85, {16, 12, 13}}}},
    {"tiff/hopper_webp.tif", kAccept, 128, 128, 0, {{0, 0, {21, 21, 60}}, {64, 64, {169, 83, 50}}, {127, 127, {135, 158, 202}}, {42, 85, {18, 14, 13}}}},
    {"tiff/libtiff_segfault.tif", kRefuse},
    {"tiff/logluv-3c-16b.tiff", kAccept, 1, 1, 0, {{0, 0, {0, 0, 0}}}},
    {"tiff/minisblack-1c-16b.tiff", kAccept, 157, 151, 1, {{0, 0, {85, 85, 85}}, {78, 75, {32, 32, 32}}, {156, 150, {190, 190, 190}}, {52, 100, {59, 59, 59}}}},
    {"tiff/minisblack-1c-8b.tiff", kAccept, 157, 151, 0, {{0, 0, {85, 85, 85}}, {78, 75, {32, 32, 32}}, {156, 150, {190, 190, 190}}, {52, 100, {59, 59, 59}}}},
    {"tiff/minisblack-2c-8b-alpha.tiff", kAccept, 64, 64, 0, {{0, 0, {255, 255, 255}}, {32, 32, {133, 133, 133}}, {63, 63, {255, 255, 255}}, {21, 42, {98, 98, 98}}}},  // transparent corners come out white
    {"tiff/miniswhite-1c-1b.tiff", kAccept, 157, 151, 0, {{0, 0, {0, 0, 0}}, {78, 75, {0, 0, 0}}, {156, 150, {255, 255, 255}}, {52, 100, {0, 0, 0}}}},
    {"tiff/multipage.tiff", kAccept, 10, 10, 0, {{0, 0, {0, 128, 0}}, {5, 5, {0, 128, 0}}, {9, 9, {0, 128, 0}}, {3, 6, {0, 128, 0}}}},
    {"tiff/old-style-jpeg-compression.tif", kAccept, 4160, 870, 0, {{0, 0, {73, 80, 72}}, {2080, 435, {72, 79, 71}}, {4159, 869, {73, 80, 72}}, {1386, 580, {81, 87, 83}}}},
    {"tiff/oregon_DSC_0307_small_CMYK_LZW.tiff", kAccept, 300, 225, 0, {{0, 0, {78, 109, 134}}, {150, 112, {243, 254, 255}}, {299, 224, {125, 143, 149}}, {100, 150, {48, 49, 49}}}},
    {"tiff/palette-1c-1b.tiff", kAccept, 157, 151, 0, {{0, 0, {0, 0, 0}}, {78, 75, {0, 0, 0}}, {156, 150, {255, 255, 255}}, {52, 100, {0, 0, 0}}}},
    {"tiff/palette-1c-4b.tiff", kAccept, 157, 151, 1, {{0, 0, {164, 33, 32}}, {78, 75, {45, 2, 1}}, {156, 150, {171, 208, 156}}, {52, 100, {93, 21, 16}}}},
    {"tiff/palette-1c-8b.tiff", kAccept, 157, 151, 1, {{0, 0, {170, 53, 40}}, {78, 75, {76, 19, 14}}, {156, 150, {170, 207, 169}}, {52, 100, {110, 42, 35}}}},
    {"tiff/pil136.tiff", kAccept, 55, 43, 0, {{0, 0, {255, 255, 255}}, {27, 21, {0, 0, 0}}, {54, 42, {255, 255, 255}}, {18, 28, {0, 0, 0}}}},
    {"tiff/quad-lzw-compat.tiff", kAccept, 512, 384, 0, {{0, 0, {0, 0, 0}}, {256, 192, {125, 232, 197}}, {511, 383, {0, 0, 0}}, {170, 256, {0, 0, 0}}}},
    {"tiff/quad-tile.jpg.tiff", kAccept, 512, 384, 0, {{0, 0, {0, 0, 0}}, {256, 192, {122, 236, 202}}, {511, 383, {0, 0, 0}}, {170, 256, {0, 0, 0}}}},
    {"tiff/rgb-3c-16b.tiff", kAccept, 157, 151, 1, {{0, 0, {162, 52, 53}}, {78, 75, {73, 15, 13}}, {156, 150, {178, 202, 160}}, {52, 100, {106, 39, 33}}}},
    {"tiff/rgb-3c-8b.tiff", kAccept, 157, 151, 0, {{0, 0, {162, 52, 53}}, {78, 75, {73, 15, 13}}, {156, 150, {178, 202, 160}}, {52, 100, {106, 39, 33}}}},
    {"tiff/rgb32f_color.tiff", kRefuse},
    {"tiff/seek_too_large.tif", kRefuse},
    {"tiff/tiff_16bit_RGBa.tiff", kAccept, 100, 40, 1, {{0, 0, {255, 255, 255}}, {50, 20, {187, 183, 184}}, {99, 39, {129, 118, 110}}, {33, 26, {230, 212, 205}}}},
    {"tiff/tiff_adobe_deflate.tif", kAccept, 278, 374, 0, {{0, 0, {0, 0, 0}}, {139, 187, {169, 196, 233}}, {277, 373, {255, 255, 255}}, {92, 249, {47, 25, 18}}}},
    {"tiff/tiff_strip_cmyk_jpeg.tif", kAccept, 100, 100, 0, {{0, 0, {255, 13, 25}}, {50, 50, {1, 4, 4}}, {99, 99, {1, 4, 4}}, {33, 66, {1, 4, 4}}}},
    {"tiff/tiff_strip_ycbcr_jpeg_2x2_sampling.tif", kAccept, 480, 360, 0, {{0, 0, {148, 124, 98}}, {240, 180, {255, 157, 108}}, {479, 359, {98, 96, 84}}, {160, 240, {63, 96, 17}}}},
    {"tiff/tiff_tiled_planar_lzw.tiff", kAccept, 278, 374, 0, {{0, 0, {0, 0, 0}}, {139, 187, {169, 196, 233}}, {277, 373, {255, 255, 255}}, {92, 249, {47, 25, 18}}}},
    {"tiff/tiff_tiled_ycbcr_jpeg_2x2_sampling.tif", kAccept, 480, 360, 0, {{0, 0, {148, 124, 98}}, {240, 180, {255, 157, 108}}, {479, 359, {96, 96, 86}}, {160, 240, {63, 97, 11}}}},
    {"tiff/ycbcr_lzw_broken.tif", kRefuse},
};
// clang-format on

std::filesystem::path corpusDir() { return TESSARY_TESTDATA_DIR; }

std::string caseName(const ::testing::TestParamInfo<CorpusCase>& info) {
    std::string name = info.param.file;
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

class CorpusFile : public ::testing::TestWithParam<CorpusCase> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_regular_file(corpusDir() / GetParam().file))
            << "test picture missing: " << corpusDir() / GetParam().file;
    }
};

TEST_P(CorpusFile, ConvertsOrIsRefusedAsExpected) {
    const CorpusCase& c = GetParam();
    const std::string source = (corpusDir() / c.file).string();
    ScratchDir dir;
    const std::string destination = dir.file("out.bmp");
    const Bytes previous = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    writeBytes(destination, previous);

    const int result = ConvertPictureFile(source, destination);
    if (c.outcome == kRefuse) {
        EXPECT_NE(result, kConvertOk);
        EXPECT_EQ(readBytes(destination), previous) << "a refused file must leave the destination untouched";
        return;
    }
    ASSERT_EQ(result, kConvertOk);
    std::string why;
    const Raster written = readConvertedBmp(readBytes(destination), why);
    ASSERT_FALSE(written.empty()) << why;
    EXPECT_EQ(written.width, c.width);
    EXPECT_EQ(written.height, c.height);
    for (const Probe& p : c.probes) {
        ASSERT_TRUE(p.x < written.width && p.y < written.height);
        const std::uint8_t* got = written.at(p.x, p.y);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], p.rgb[i], c.tolerance)
                << "pixel (" << p.x << ", " << p.y << ") channel " << i;
    }

    // The streaming decoder delivers the same picture, every row once.
    CheckingSink sink;
    DecodeInfo info;
    ASSERT_EQ(decodePicture(source, sink, DecodeOptions{}, &info), kConvertOk);
    EXPECT_TRUE(sink.everyRowOnce());
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
    EXPECT_EQ(uprightRaster(sink.picture, sink.orientation).rgb, written.rgb);
}

INSTANTIATE_TEST_SUITE_P(SharedCorpus, CorpusFile, ::testing::ValuesIn(kCorpus), caseName);

TEST(SharedCorpus, EveryFileIsInTheTable) {
    std::set<std::string> listed;
    for (const CorpusCase& c : kCorpus) listed.insert(c.file);
    // Only the picture folders: other tests keep their own data in further folders beside these.
    for (const char* folder : {"bmp", "jpeg", "misnamed", "pcd", "pcx", "png", "tiff"}) {
        ASSERT_TRUE(std::filesystem::is_directory(corpusDir() / folder))
            << "test pictures missing: " << corpusDir() / folder;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(corpusDir() / folder)) {
            if (!entry.is_regular_file()) continue;
            EXPECT_TRUE(listed.count(std::filesystem::relative(entry.path(), corpusDir()).string()))
                << entry.path() << " has no expected outcome";
        }
    }
}

}  // namespace
}  // namespace tessary::image::testing
