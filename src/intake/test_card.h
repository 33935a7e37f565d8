// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test card: the same solid patch burnt at several burn times side by side, each labelled underneath
// with its burn time in engraved digits. Pure layout and drawing, shared by the console and tessary-prepare.
#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "image/bitmap.h"
#include "image/conversion.h"
#include "raster/raster.h"

namespace tessary::intake {

inline constexpr image::Range kTestCardBurnTimes{1, 240};
inline constexpr image::Range kTestCardCells{1, 12};
inline constexpr image::Range kTestCardCellSize{1, 490};
inline constexpr int kTestCardField = 490;

struct TestCardRequest {
    int from = 20;
    int to = 200;
    int count = 6;
    int cellSize = 60;  // dots
    bool operator==(const TestCardRequest&) const = default;
};

struct TestCardCell {
    int burnTime = 0;
    int left = 0;  // the patch's top-left corner on the card
    int top = 0;
};

struct TestCardLayout {
    int width = 0;
    int height = 0;
    int cellSize = 0;
    std::vector<TestCardCell> cells;  // in the order they burn: lowest burn time first
};

// The card's layout, or the reason it is refused (a value out of range, a card the field cannot hold).
std::variant<TestCardLayout, std::string> layOutTestCard(const TestCardRequest& request);

// The card's dots, black on white: every cell, or only cell `only` (0-based) at its place on the card.
image::Raster testCardDots(const TestCardLayout& layout, std::optional<std::size_t> only = std::nullopt);

// The engraving (512 x 512, 1 bit per pixel) of testCardDots, the card centred in the field.
image::Bitmap testCardEngraving(const TestCardLayout& layout, std::optional<std::size_t> only = std::nullopt);

// What goes over the wire for cell `cell` alone: its engraving flipped top to bottom, as the machine takes
// it.
image::Bitmap testCardUpload(const TestCardLayout& layout, std::size_t cell);

}  // namespace tessary::intake
