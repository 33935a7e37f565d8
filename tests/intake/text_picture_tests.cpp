// SPDX-License-Identifier: GPL-3.0-or-later
// Typed text on the engraving: its size in dots, filling the width, and the texts it cannot engrave.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "image/render/text_picture.h"
#include "intake/headless.h"
#include "intake/intake.h"

namespace tessary::intake::testing {
namespace {

struct Extent {
    int left = 512, top = 512, right = -1, bottom = -1;  // of the burnt dots, inclusive
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// The text taken in as the console takes it (default conversion), and where its burnt dots lie.
Extent engraved(const std::string& text, render::TextStyle style) {
    ImageState state;
    Headless quiet((std::filesystem::temp_directory_path() / "tessary-text-test.bmp").string(), true);
    EXPECT_EQ(takeInText(state, quiet, {text, style}), IntakeResult::Prepared) << text;
    Extent e;
    const image::Bytes bmp = state.engraving.ToByteSet();
    const std::size_t offset = bmp[10] | bmp[11] << 8;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            if (!((bmp[offset + static_cast<std::size_t>(y) * 64 + x / 8] >> (7 - x % 8)) & 1)) {
                e = {std::min(e.left, x), std::min(e.top, y), std::max(e.right, x), std::max(e.bottom, y)};
            }
    return e;
}

render::TextStyle sized(int size, bool fill = false) {
    render::TextStyle s;
    s.size = size;
    s.fillWidth = fill;
    return s;
}

TEST(TypedText, SizeIsTheHeightOfACapitalInDotsAndFillingTheWidthIsAChoice) {
    for (const int size : {6, 12, 36, 100, 300}) {
        const Extent e = engraved("H", sized(size));
        EXPECT_NEAR(e.height(), size, 1) << "size " << size;
        // Centred in the field (centre 246 of the engraving's 512 dots).
        EXPECT_NEAR((e.left + e.right) / 2.0, 246, 2) << "size " << size;
    }
    const Extent filled = engraved("Happy birthday", sized(12, true));
    EXPECT_GE(filled.width(), 470) << "the size does not matter when the width is filled";
    EXPECT_EQ(filled.width(), engraved("Happy birthday", sized(300, true)).width());
}

TEST(TypedText, TooLargeTooLongOrUndrawableTextIsSaidSoAndEveryLengthStillDraws) {
    const std::string tenThousand(10000, 'x');
    struct Case {
        std::string text;
        render::TextStyle style;
        std::string refusal;  // a part of it; empty: none
    };
    const Case cases[] = {
        {"x", sized(1), ""},
        {".", sized(36), ""},
        {"W", sized(490), "too large for the engraving field at size 490"},
        {"Happy birthday, dear Anna!", sized(36), " or less fits, or fill the width."},
        {tenThousand, sized(36), "shorten its lines"},
        {tenThousand, sized(36, true), "less than a dot high"},
        {"Anna \U0010FFFD", sized(36), "(U+10FFFD)"},
        {std::string(20001, 'x'), sized(36, true), "longer than 20,000 characters"},
    };
    for (const Case& c : cases) {
        const std::string refusal = render::textRefusal(c.text, c.style);
        SCOPED_TRACE(c.text.substr(0, 30) + " " + refusal);
        if (c.refusal.empty())
            EXPECT_EQ(refusal, "");
        else
            EXPECT_NE(refusal.find(c.refusal), std::string::npos);
        // The picture is never larger than the field, whatever the text; one too long is not laid out.
        const image::Raster r = render::renderText(c.text, c.style);
        EXPECT_EQ(r.empty(), c.text.size() > render::kMaxTextLength);
        EXPECT_TRUE(r.width <= render::kTextField && r.height <= render::kTextField);
    }
    // The size it names fits, one more does not.
    const std::string wide = "Happy birthday, dear Anna!";
    const int largest = render::measureText(wide, sized(36)).largestSize;
    EXPECT_TRUE(render::measureText(wide, sized(largest)).fits);
    EXPECT_FALSE(render::measureText(wide, sized(largest + 1)).fits);
}

}  // namespace
}  // namespace tessary::intake::testing
