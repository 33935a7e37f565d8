// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/test_card.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "intake/code_engraving.h"

namespace tessary::intake {
namespace {

// Digits 3 x 5, one row a byte (bit 2 the left column), drawn here so the card is the same on every system.
constexpr std::array<std::array<std::uint8_t, 5>, 10> kDigits{{
    {7, 5, 5, 5, 7},  // 0
    {2, 6, 2, 2, 7},  // 1
    {7, 1, 7, 4, 7},  // 2
    {7, 1, 7, 1, 7},  // 3
    {5, 5, 7, 1, 1},  // 4
    {7, 4, 7, 1, 7},  // 5
    {7, 4, 7, 5, 7},  // 6
    {7, 1, 1, 1, 1},  // 7
    {7, 5, 7, 5, 7},  // 8
    {7, 5, 7, 1, 7},  // 9
}};
constexpr int kDigitScale = 2;  // dots a font pixel
constexpr int kDigitWidth = 3 * kDigitScale;
constexpr int kLabelHeight = 5 * kDigitScale;
constexpr int kDigitGap = 2;
constexpr int kLabelGap = 4;  // between a patch and its label
constexpr int kCellGap = 10;  // between columns and between rows
constexpr int kWidestLabel = 3 * kDigitWidth + 2 * kDigitGap;

int labelWidth(const std::string& digits) {
    const int n = static_cast<int>(digits.size());
    return n * kDigitWidth + (n - 1) * kDigitGap;
}

void blacken(image::Raster& dots, int x, int y) { std::fill_n(dots.at(x, y), 3, std::uint8_t{0}); }

void drawCell(image::Raster& dots, const TestCardCell& cell, int size) {
    for (int y = cell.top; y < cell.top + size; ++y)
        for (int x = cell.left; x < cell.left + size; ++x) blacken(dots, x, y);
    const std::string digits = std::to_string(cell.burnTime);
    int x0 = cell.left + (size - labelWidth(digits)) / 2;
    const int y0 = cell.top + size + kLabelGap;
    for (char c : digits) {
        const auto& glyph = kDigits[static_cast<std::size_t>(c - '0')];
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 3; ++column) {
                if (!(glyph[static_cast<std::size_t>(row)] & (4 >> column))) continue;
                for (int dy = 0; dy < kDigitScale; ++dy)
                    for (int dx = 0; dx < kDigitScale; ++dx)
                        blacken(dots, x0 + column * kDigitScale + dx, y0 + row * kDigitScale + dy);
            }
        x0 += kDigitWidth + kDigitGap;
    }
}

}  // namespace

std::variant<TestCardLayout, std::string> layOutTestCard(const TestCardRequest& r) {
    const auto range = [](const image::Range& range) {
        return std::to_string(range.min) + " to " + std::to_string(range.max);
    };
    if (!kTestCardBurnTimes.holds(r.from) || !kTestCardBurnTimes.holds(r.to))
        return "burn times go from " + range(kTestCardBurnTimes) + ", not " + std::to_string(r.from) +
               " to " + std::to_string(r.to);
    if (r.from > r.to)
        return "the first burn time, " + std::to_string(r.from) + ", is above the last, " +
               std::to_string(r.to);
    if (!kTestCardCells.holds(r.count))
        return "a card has " + range(kTestCardCells) + " cells, not " + std::to_string(r.count);
    if (!kTestCardCellSize.holds(r.cellSize))
        return "a cell is " + range(kTestCardCellSize) + " dots, not " + std::to_string(r.cellSize);

    // Columns as wide as the cell or its widest label; as few rows as the field allows, filled evenly.
    const int columnWidth = std::max(r.cellSize, kWidestLabel);
    const int rowHeight = r.cellSize + kLabelGap + kLabelHeight;
    const int fitColumns = (kTestCardField + kCellGap) / (columnWidth + kCellGap);
    const int rows = fitColumns == 0 ? 1 : (r.count + fitColumns - 1) / fitColumns;
    const int columns = (r.count + rows - 1) / rows;
    TestCardLayout layout;
    layout.width = columns * columnWidth + (columns - 1) * kCellGap;
    layout.height = rows * rowHeight + (rows - 1) * kCellGap;
    if (layout.width > kTestCardField || layout.height > kTestCardField)
        return std::to_string(r.count) + " cells of " + std::to_string(r.cellSize) + " dots need " +
               std::to_string(layout.width) + " x " + std::to_string(layout.height) +
               " dots; the field holds " + std::to_string(kTestCardField) + " x " +
               std::to_string(kTestCardField);
    layout.cellSize = r.cellSize;
    for (int i = 0; i < r.count; ++i) {
        TestCardCell cell;
        // Evenly spread and rounded to the nearest; the first and the last are the ones asked for.
        cell.burnTime =
            r.count == 1 ? r.from : r.from + ((r.to - r.from) * i * 2 + (r.count - 1)) / (2 * (r.count - 1));
        cell.left = (i % columns) * (columnWidth + kCellGap) + (columnWidth - r.cellSize) / 2;
        cell.top = (i / columns) * (rowHeight + kCellGap);
        layout.cells.push_back(cell);
    }
    return layout;
}

image::Raster testCardDots(const TestCardLayout& layout, std::optional<std::size_t> only) {
    image::Raster dots(layout.width, layout.height);
    dots.fill(255, 255, 255);
    for (std::size_t i = 0; i < layout.cells.size(); ++i)
        if (!only || *only == i) drawCell(dots, layout.cells[i], layout.cellSize);
    return dots;
}

image::Bitmap testCardEngraving(const TestCardLayout& layout, std::optional<std::size_t> only) {
    return engravingOfDots(testCardDots(layout, only), false);
}

image::Bitmap testCardUpload(const TestCardLayout& layout, std::size_t cell) {
    return testCardEngraving(layout, cell).Mirror(false, true);
}

}  // namespace tessary::intake
