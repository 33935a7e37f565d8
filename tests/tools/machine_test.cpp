// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/machine.h"

#include <gtest/gtest.h>

#include "wire_image_builder.h"

namespace tessary::virtual_engraver {
namespace {

using engrave::Message;
using Points = std::vector<Point>;

WireImage image(int width, int height, const testing::PixelSet& black) {
    std::string problem;
    auto parsed = WireImage::parse(testing::wireImage(width, height, black), problem);
    EXPECT_TRUE(parsed) << problem;
    return std::move(*parsed);
}

Points take(Machine& m, std::size_t most) {
    Points points;
    while (points.size() < most) {
        const auto p = m.next();
        if (!p) break;
        points.push_back(*p);
    }
    return points;
}

// Black pixels on rows 0, 1, 16, 20 and 39 of a 40-row image.
const testing::PixelSet kPixels = {{0, 5}, {0, 2}, {1, 0}, {16, 7}, {20, 1}, {39, 39}};
const Points kWalk = {{2, 0}, {5, 0}, {0, 1}, {7, 16}, {1, 20}, {39, 39}};

TEST(Machine, CarvesBlackPixelsRowByRowAndSaysWhenDone) {
    Machine m(10);
    m.load(image(40, 40, kPixels));
    EXPECT_FALSE(m.moving());
    m.apply(Message::StartCarving);
    EXPECT_EQ(take(m, 100), kWalk);
    EXPECT_EQ(m.walk(), Machine::Walk::Finished);
    EXPECT_EQ(m.takeNote(), "carving finished, 6 pixels reported");
    EXPECT_FALSE(m.takeNote());
    m.apply(Message::StartCarving);  // a finished job starts over
    EXPECT_EQ(take(m, 100), kWalk);
}

TEST(Machine, JobCommandsSteerTheWalk) {
    struct Case {
        const char* what;
        std::vector<Message> after2;  // sent after the first two pixels
        Points rest;
    };
    const Case cases[] = {
        {"pause holds", {Message::Pause}, {}},
        {"pause twice resumes", {Message::Pause, Message::Pause}, {kWalk.begin() + 2, kWalk.end()}},
        {"start resumes a pause", {Message::Pause, Message::StartCarving}, {kWalk.begin() + 2, kWalk.end()}},
        {"restart stops at the top", {Message::Restart}, {}},
        {"restart then start begins again", {Message::Restart, Message::StartCarving}, kWalk},
        {"recarve begins again and goes on", {Message::Recarve}, kWalk},
        {"fast forward skips 15 rows", {Message::FastForward}, {{7, 16}, {1, 20}, {39, 39}}},
        {"fast forward twice", {Message::FastForward, Message::FastForward}, {{39, 39}}},
        {"fast backward stops at the top", {Message::FastBackward}, kWalk},
        {"jogs are ignored while carving",
         {Message::JogDown, Message::MiddleOfImage, Message::FrameCarvingArea},
         {kWalk.begin() + 2, kWalk.end()}},
        {"erase ends the job", {Message::EraseLastImage}, {}},
    };
    for (const Case& c : cases) {
        Machine m(10);
        m.load(image(40, 40, kPixels));
        m.apply(Message::StartCarving);
        ASSERT_EQ(take(m, 2), Points(kWalk.begin(), kWalk.begin() + 2));
        for (const Message message : c.after2) m.apply(message);
        EXPECT_EQ(take(m, 100), c.rest) << c.what;
    }
}

TEST(Machine, FastBackwardFromFurtherDownGoesBack15Rows) {
    Machine m(10);
    m.load(image(40, 40, kPixels));
    m.apply(Message::StartCarving);
    take(m, 5);  // up to (1, 20): the next row searched is 20
    m.apply(Message::FastBackward);
    EXPECT_EQ(take(m, 100), (Points{{7, 16}, {1, 20}, {39, 39}}));
}

TEST(Machine, HeadMovesAreReportedAndStayOnTheSurface) {
    struct Case {
        const char* what;
        std::vector<Message> messages;
        Points reports;
    };
    const Case cases[] = {
        {"jogs by the step",
         {Message::JogDown, Message::JogRight, Message::JogUp, Message::JogLeft},
         {{0, 10}, {10, 10}, {10, 0}, {0, 0}}},
        {"jogs stop at the edges", {Message::JogUp, Message::JogLeft}, {{0, 0}, {0, 0}}},
        {"lower-left corner and middle",
         {Message::LowerLeftCorner, Message::JogDown, Message::MiddleOfImage},
         {{0, 509}, {0, 509}, {255, 255}}},
    };
    for (const Case& c : cases) {
        Machine m(10);
        for (const Message message : c.messages) m.apply(message);
        EXPECT_EQ(take(m, 100), c.reports) << c.what;
    }
}

TEST(Machine, FrameTracesTheBoundingBoxOfTheBlackPixels) {
    struct Case {
        testing::PixelSet black;
        Points outline;
    };
    const Case cases[] = {
        {{{1, 2}, {3, 4}}, {{2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}, {3, 3}, {2, 3}, {2, 2}}},
        {{{5, 5}}, {{5, 5}}},
        {{{0, 1}, {0, 3}}, {{1, 0}, {2, 0}, {3, 0}}},
        {{{1, 0}, {3, 0}}, {{0, 1}, {0, 2}, {0, 3}}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        Machine m(10);
        m.load(image(8, 8, c.black));
        m.apply(Message::FrameCarvingArea);
        EXPECT_EQ(take(m, 100), c.outline);
    }
}

}  // namespace
}  // namespace tessary::virtual_engraver
