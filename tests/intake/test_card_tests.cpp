// SPDX-License-Identifier: GPL-3.0-or-later
// The test card's layout, its refusals, and tessary-prepare's card and per-cell upload images.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <algorithm>
#include <variant>

#include "intake/test_card.h"
#include "intake_fixture.h"
#include "support/bitmap_pixels.h"

namespace tessary::intake::testing {
namespace {

using tessary::testing::indexAt;

TEST(TestCardTest, BurnTimesAndSizeOrTheReasonItIsRefused) {
    struct Case {
        TestCardRequest request;
        std::vector<int> burnTimes;  // empty: refused
        int width, height;
        std::string refusal;
    };
    const Case cases[] = {
        {{}, {20, 56, 92, 128, 164, 200}, 410, 74, ""},
        {{1, 240, 12, 60}, {1, 23, 44, 66, 88, 110, 131, 153, 175, 197, 218, 240}, 410, 158, ""},
        {{100, 100, 1, 476}, {100}, 476, 490, ""},
        {{5, 7, 4, 1}, {5, 6, 6, 7}, 118, 15, ""},  // columns as wide as the widest label
        {{100, 100, 1, 477}, {}, 0, 0, "1 cells of 477 dots need 477 x 491 dots; the field holds 490 x 490"},
        {{1, 240, 12, 200}, {}, 0, 0, "12 cells of 200 dots need"},
        {{0, 200, 6, 60}, {}, 0, 0, "burn times go from 1 to 240, not 0 to 200"},
        {{20, 241, 6, 60}, {}, 0, 0, "not 20 to 241"},
        {{20, 200, 0, 60}, {}, 0, 0, "a card has 1 to 12 cells, not 0"},
        {{20, 200, 13, 60}, {}, 0, 0, "not 13"},
        {{200, 20, 6, 60}, {}, 0, 0, "the first burn time, 200, is above the last, 20"},
        {{20, 200, 6, 0}, {}, 0, 0, "a cell is 1 to 490 dots, not 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.count);
        const auto laidOut = layOutTestCard(c.request);
        if (c.burnTimes.empty()) {
            ASSERT_TRUE(std::holds_alternative<std::string>(laidOut));
            EXPECT_NE(std::get<std::string>(laidOut).find(c.refusal), std::string::npos)
                << std::get<std::string>(laidOut);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<TestCardLayout>(laidOut)) << std::get<std::string>(laidOut);
        const auto& layout = std::get<TestCardLayout>(laidOut);
        std::vector<int> times;
        for (const auto& cell : layout.cells) times.push_back(cell.burnTime);
        EXPECT_EQ(times, c.burnTimes);
        EXPECT_EQ(layout.width, c.width);
        EXPECT_EQ(layout.height, c.height);
    }
}

using PrepareTestCardTest = MainWindow;

struct Box {
    int left = 512, top = 512, right = -1, bottom = -1;
};

TEST_F(PrepareTestCardTest, EachCellsUploadHoldsItsPatchAndLabelWhereTheCardHasThem) {
    struct Case {
        std::vector<std::string> options;
        int cells, cellSize;
    };
    const Case cases[] = {{{"--test-card", "20:200:6"}, 6, 60},
                          {{"--test-card=1:240:12", "--cell-size", "30"}, 12, 30}};
    const auto out = dir / "card.bmp";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[1]);
        std::vector<std::string> arguments = c.options;
        arguments.push_back(out.string());
        ASSERT_EQ(tessary::testing::runProgram(TESSARY_PREPARE, arguments).status, 0);
        const image::Bytes cardBytes = readFile(out);
        ASSERT_EQ(cardBytes.size(), 32830u);
        const image::Bitmap card = bitmapOf(cardBytes);
        std::vector<int> owner(512 * 512, 0);
        for (int k = 1; k <= c.cells; ++k) {
            std::vector<std::string> one = arguments;
            one.insert(one.end() - 1, {"--cell", std::to_string(k)});
            ASSERT_EQ(tessary::testing::runProgram(TESSARY_PREPARE, one).status, 0);
            const image::Bitmap cell = bitmapOf(readFile(out));
            Box box;
            for (int y = 0; y < 512; ++y)
                for (int x = 0; x < 512; ++x) {
                    // The upload is the card's preview flipped top to bottom, as the machine takes it.
                    if (indexAt(cell, x, 511 - y) != 0) continue;
                    ASSERT_EQ(indexAt(card, x, y), 0) << "cell " << k << " burns off the card";
                    ASSERT_EQ(owner[y * 512 + x], 0) << "cells " << owner[y * 512 + x] << " and " << k;
                    owner[y * 512 + x] = k;
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                           std::max(box.bottom, y)};
                }
            // The patch, 4 dots of gap and the 10-dot digits beneath it.
            EXPECT_EQ(box.right - box.left + 1, c.cellSize) << k;
            EXPECT_EQ(box.bottom - box.top + 1, c.cellSize + 14) << k;
        }
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                if (indexAt(card, x, y) == 0) {
                    ASSERT_NE(owner[y * 512 + x], 0) << x << "," << y;
                }
    }
}

TEST_F(PrepareTestCardTest, TheDefaultCardIsTheSameOnEverySystem) {
    const auto out = dir / "card.bmp";
    ASSERT_EQ(tessary::testing::runProgram(TESSARY_PREPARE, {"--test-card", "20:200:6", out.string()}).status,
              0);
    const image::Bytes bytes = readFile(out);
    const QByteArray sha = QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
        QCryptographicHash::Sha256);
    EXPECT_EQ(sha.toHex().toStdString(), "cbcff92889a4b448d34a37630099247f01a2a902dcd1259154c3b4a05718fa1b");
}

TEST_F(PrepareTestCardTest, RefusedCardsExitWithTheReasonAndWriteNothing) {
    const std::vector<std::vector<std::string>> bad = {
        {"--test-card", "0:200:6"},
        {"--test-card", "20:241:6"},
        {"--test-card", "20:200:0"},
        {"--test-card", "20:200:13"},
        {"--test-card", "20:200:12", "--cell-size", "200"},
        {"--test-card", "20:200"},
        {"--test-card", "20:200:6", "--cell", "7"},
        {"--test-card", "20:200:6", "--conversion", "atkinson"},
    };
    const std::string reasons[] = {"not 0 to 200",    "not 20 to 241", "not 0",         "not 13",
                                   "the field holds", "FROM:TO:COUNT", "1 to 6, not 7", "not --conversion"};
    const auto out = dir / "card.bmp";
    for (std::size_t i = 0; i < bad.size(); ++i) {
        std::vector<std::string> arguments = bad[i];
        arguments.push_back(out.string());
        const ToolRun run = tessary::testing::runProgram(TESSARY_PREPARE, arguments);
        EXPECT_EQ(run.status, 2) << reasons[i];
        EXPECT_NE(run.err.find(reasons[i]), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << reasons[i];
    }
}

}  // namespace
}  // namespace tessary::intake::testing
