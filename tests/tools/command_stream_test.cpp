// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/command_stream.h"

#include <gtest/gtest.h>

#include "wire_image_builder.h"

namespace tessary::virtual_engraver {
namespace {

constexpr Millis kTimeout = 1000;

std::string describe(const Received& r) {
    using Kind = Received::Kind;
    switch (r.kind) {
        case Kind::Command:
            return std::string(engrave::specOf(r.message).name);
        case Kind::StepPulse:
            return "pulse " + std::to_string(r.value);
        case Kind::BurningTime:
            return "burn " + std::to_string(r.value);
        case Kind::Erase:
            return "erase";
        case Kind::PartialErase:
            return "partial erase " + std::to_string(r.value);
        case Kind::Image:
            return "image " + std::to_string(r.image->width()) + "x" + std::to_string(r.image->height());
        case Kind::ImageRefused:
            return "refused";
        case Kind::ImageIncomplete:
            return "incomplete " + std::to_string(r.value) + " of " + r.detail;
        case Kind::Dropped:
            return "dropped " + std::to_string(r.value);
        case Kind::Unexpected:
            return "unexpected " + std::to_string(r.value);
    }
    return "?";
}

std::vector<std::string> run(CommandStream& stream, const std::vector<std::uint8_t>& bytes, Millis at = 0) {
    std::vector<std::string> out;
    for (const Received& r : stream.feed(bytes, at)) out.push_back(describe(r));
    return out;
}

std::vector<std::uint8_t> operator+(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::uint8_t> kErase(8, 0xFE);
const std::vector<std::uint8_t> kImage = testing::wireImage(512, 512, {{0, 3}, {511, 511}});

using Lines = std::vector<std::string>;

TEST(CommandStream, SplitsAStreamIntoMessages) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        Lines expected;
    };
    const Case cases[] = {
        {"single-byte commands",
         {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFB},
         {"Start carving", "Pause", "Go to lower-left corner", "Frame carving area", "Jog up", "Jog down",
          "Jog left", "Jog right", "Restart", "Go to middle of image"}},
        {"prefixed commands",
         {0xFC, 0x55, 0xFC, 0xAA, 0xFC, 0x77, 0xFC, 0x12},
         {"Fast backward 15 rows", "Fast forward 15 rows", "Recarve", "unexpected 18"}},
        {"step pulse takes any parameter",
         {0xFA, 0x23, 0xFA, 0xFF, 0xFA, 0xFE, 0xFA, 0xFA},
         {"pulse 35", "pulse 255", "pulse 254", "pulse 250"}},
        {"burning time and stray bytes",
         {0x01, 0x3C, 0xF0, 0x00, 0xFD, 0xFF},
         {"burn 1", "burn 60", "burn 240", "unexpected 0", "unexpected 253", "unexpected 255"}},
        {"erase then image",
         kErase + kImage + std::vector<std::uint8_t>{0xF1},
         {"erase", "image 512x512", "Start carving"}},
        {"short erase burst", {0xFE, 0xFE, 0xFE, 0xF1}, {"partial erase 3", "Start carving"}},
        {"erase without an image", kErase + std::vector<std::uint8_t>{0xF1}, {"erase", "Start carving"}},
        {"a burning time of 66 after an erase",
         kErase + std::vector<std::uint8_t>{'B', 0x3C},
         {"erase", "burn 66", "burn 60"}},
        {"two bursts", kErase + kErase, {"erase", "erase"}},
        {"surplus after the declared size is read as commands",
         kErase + kImage + std::vector<std::uint8_t>{0xF2},
         {"erase", "image 512x512", "Pause"}},
    };
    for (const Case& c : cases) {
        CommandStream stream(kTimeout);
        EXPECT_EQ(run(stream, c.bytes), c.expected) << c.what;
    }
}

TEST(CommandStream, ImageArrivesWhateverTheReadSizes) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{5}, std::size_t{61}, std::size_t{62},
                                    std::size_t{63}, std::size_t{4095}}) {
        CommandStream stream(kTimeout);
        const std::vector<std::uint8_t> all = kErase + kImage;
        Lines lines;
        for (std::size_t at = 0; at < all.size(); at += chunk) {
            const std::size_t n = std::min(chunk, all.size() - at);
            for (const Received& r : stream.feed(std::span(all).subspan(at, n), 0)) {
                lines.push_back(describe(r));
                if (r.kind == Received::Kind::Image) {
                    EXPECT_TRUE(r.image->burns(3, 0));
                    EXPECT_TRUE(r.image->burns(511, 511));
                    EXPECT_FALSE(r.image->burns(0, 0));
                }
            }
        }
        EXPECT_EQ(lines, (Lines{"erase", "image 512x512"})) << "chunk " << chunk;
    }
}

TEST(CommandStream, UnfinishedMessagesEndWhenTheLineIsQuiet) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        Lines atTimeout;
    };
    const std::vector<std::uint8_t> half(kImage.begin(), kImage.begin() + 1000);
    std::vector<std::uint8_t> wrongDepth = kImage;
    wrongDepth[28] = 24;
    std::vector<std::uint8_t> tooLarge = kImage;
    tooLarge[22] = 0x01;  // height 0x200 + 0x100: rows beyond the declared size
    const Case cases[] = {
        {"image cut short", kErase + half, {"incomplete 1000 of 32830"}},
        {"header cut short",
         kErase + std::vector<std::uint8_t>(kImage.begin(), kImage.begin() + 20),
         {"incomplete 20 of an unknown number of"}},
        {"wrong depth is refused then dropped", kErase + wrongDepth, {"dropped 32830"}},
        {"rows beyond the declared size", kErase + tooLarge, {"dropped 32830"}},
        {"FA without its parameter", {0xFA}, {"unexpected 250"}},
        {"FC without its sub-code", {0xFC}, {"unexpected 252"}},
        {"short erase burst", {0xFE, 0xFE}, {"partial erase 2"}},
        {"a lone B after an erase", kErase + std::vector<std::uint8_t>{'B'}, {"burn 66"}},
    };
    for (const Case& c : cases) {
        CommandStream stream(kTimeout);
        run(stream, c.bytes, 0);
        EXPECT_TRUE(stream.expire(kTimeout - 1).empty()) << c.what;
        Lines lines;
        for (const Received& r : stream.expire(kTimeout)) lines.push_back(describe(r));
        EXPECT_EQ(lines, c.atTimeout) << c.what;
        EXPECT_FALSE(stream.deadline()) << c.what;
        EXPECT_EQ(run(stream, {0xF1}, kTimeout + 1), Lines{"Start carving"}) << c.what << ": resynced";
    }
}

TEST(CommandStream, AByteAfterAQuietGapStartsAfresh) {
    CommandStream stream(kTimeout);
    run(stream, {0xFA}, 0);
    EXPECT_EQ(run(stream, {0x3C}, 5000), (Lines{"unexpected 250", "burn 60"}));
}

TEST(CommandStream, ImageSaysHowLongAfterTheEraseItBegan) {
    CommandStream stream(kTimeout);
    run(stream, kErase, 100);
    const auto received = stream.feed(kImage, 3110);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].value, 3010);
}

}  // namespace
}  // namespace tessary::virtual_engraver
