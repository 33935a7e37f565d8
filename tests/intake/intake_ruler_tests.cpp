// SPDX-License-Identifier: GPL-3.0-or-later
// The two rulers: tick positions, the compiled-in pictures, and what the intake draws of them.
#include "app/definitions/unit_names.h"
#include "image/picture.h"
#include "intake_fixture.h"
#include "ruler_drawing.h"
#include "tessary_resources.h"

namespace tessary::intake::testing {
namespace {

using resources::RulerAxis;

TEST(Rulers, TickPositions) {
    const std::vector<int> horizontal = {0,   13,  27,  40,  54,  67,  81,  94,  108, 121, 134, 148, 161,
                                         175, 188, 202, 215, 229, 242, 256, 269, 282, 296, 309, 323, 336,
                                         350, 363, 377, 390, 403, 417, 430, 444, 457, 471, 484, 498};
    std::vector<int> vertical = horizontal;
    vertical[19] = 255;
    vertical.push_back(511);
    EXPECT_EQ(resources::rulerTicks(RulerAxis::Horizontal), horizontal);
    EXPECT_EQ(resources::rulerTicks(RulerAxis::Vertical), vertical);
}

// Ink of the ruler as displayed; `along` runs over the strip's length, `across` over its 12 pixels.
struct Strip {
    image::Raster pixels;
    bool horizontal;
    bool black(int along, int across) const {
        const std::uint8_t* p = horizontal ? pixels.at(along, across) : pixels.at(across, along);
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
};

TEST(Rulers, CompiledInPicturesAreTheDrawnOnesWithEdgeTicksAndLabels) {
    struct Case {
        RulerAxis axis;
        std::span<const std::uint8_t> compiled;
        int width, height;
    };
    for (const Case& c : {Case{RulerAxis::Horizontal, resources::horizontalRulerBmp(), 512, 12},
                          Case{RulerAxis::Vertical, resources::verticalRulerBmp(), 12, 512}}) {
        const bool horizontal = c.axis == RulerAxis::Horizontal;
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        const std::vector<std::uint8_t> drawn = resources::drawRuler(c.axis);
        ASSERT_EQ(drawn.size(), 18486u);
        EXPECT_TRUE(std::equal(c.compiled.begin(), c.compiled.end(), drawn.begin(), drawn.end()))
            << "redraw the committed rulers with tessary-draw-rulers";
        const auto pixels = image::LoadPicture(c.compiled);
        ASSERT_TRUE(pixels);
        ASSERT_EQ(pixels->width, c.width);
        ASSERT_EQ(pixels->height, c.height);
        const Strip s{*pixels, horizontal};

        const std::vector<int> ticks = resources::rulerTicks(c.axis);
        for (int along = 0; along < 512; ++along) {
            const bool bar = horizontal && along >= 509;
            EXPECT_TRUE(s.black(along, 10) && s.black(along, 11)) << along;
            const bool tick = std::find(ticks.begin(), ticks.end(), along) != ticks.end();
            EXPECT_EQ(s.black(along, 8) && s.black(along, 9), tick || bar) << along;
            // Labels keep to their rows (columns) and to a glyph's size of a labelled tick (at the ends they
            // are moved inwards).
            bool nearLabel = false;
            for (std::size_t k = 0; k < ticks.size(); k += 5) nearLabel |= std::abs(ticks[k] - along) <= 6;
            for (int across = 0; across < 7; ++across) {
                if (s.black(along, across)) {
                    EXPECT_TRUE(nearLabel || bar) << along << "," << across;
                }
            }
        }
        for (std::size_t k = 0; k < ticks.size(); k += 5) {
            int ink = 0;
            for (int d = -6; d <= 6; ++d)
                for (int across = 0; across < (horizontal ? 8 : 6); ++across)
                    ink += ticks[k] + d >= 0 && ticks[k] + d < 512 && s.black(ticks[k] + d, across);
            EXPECT_GE(ink, 10) << "label at " << ticks[k];
        }
    }
}

using RulerOnWindow = MainWindow;

TEST_F(RulerOnWindow, EveryDropDrawsBothRulers) {
    drop((dir / "nothing.png").string());
    const auto vertical = *image::LoadPicture(resources::verticalRulerBmp());
    const auto horizontal = *image::LoadPicture(resources::horizontalRulerBmp());
    image::Raster& v = main().drawPanel(main_window::kVerticalRuler).pixels();
    image::Raster& h = main().drawPanel(main_window::kHorizontalRuler).pixels();
    ASSERT_EQ(v.width, 12);
    ASSERT_EQ(v.height, 512);
    EXPECT_EQ(v.rgb, vertical.rgb);
    ASSERT_EQ(h.width, 511);  // the strip is one pixel narrower than the ruler
    for (int y = 0; y < 12; ++y)
        EXPECT_TRUE(std::equal(h.at(0, y), h.at(0, y) + 511 * 3, horizontal.at(0, y))) << y;
}

}  // namespace
}  // namespace tessary::intake::testing
