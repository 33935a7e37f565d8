// SPDX-License-Identifier: GPL-3.0-or-later
// The property model's conversions and clamping, and the stored blocks of window definitions.
#include <gtest/gtest.h>

#include "app/definitions/unit_names.h"
#include "app/model/font_record.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/model/serial_settings.h"
#include "app/model/stored_unit.h"
#include "app/model/window_placement.h"

namespace tessary {
namespace {

struct ConversionCase {
    Value value;
    std::int32_t asInteger;
    std::string asString;
};

TEST(Values, ConvertAsTheModelReadsThem) {
    const ConversionCase cases[] = {
        {std::int32_t{42}, 42, "42"},
        {std::int32_t{-7}, -7, "-7"},
        {std::string("35"), 35, "35"},
        {std::string("  -12abc"), -12, "  -12abc"},
        {std::string("+8"), 8, "+8"},
        {std::string("abc"), 0, "abc"},
        {std::string(""), 0, ""},
        {std::string("99999999999"), INT32_MAX, "99999999999"},
        {std::string("-99999999999"), INT32_MIN, "-99999999999"},
        {Bytes{1, 2, 3}, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(asInt(c.value), c.asInteger) << asText(c.value);
        EXPECT_EQ(asText(c.value), c.asString);
    }
    EXPECT_TRUE(asBytes(std::string("text")).empty()) << "byte data is never converted";
    EXPECT_TRUE(asBool(std::string("2")));
    EXPECT_FALSE(asBool(std::string("x")));
}

struct RuleCase {
    Kind kind;
    int property;
    Value written;
    Value stored;
};

TEST(PropertyRules, ConvertAndClampEachKindsProperties) {
    const std::int32_t limit = prop::kCoordinateLimit;
    const RuleCase cases[] = {
        // common properties of every visual kind
        {Kind::Button, prop::kLeft, 40000, limit},
        {Kind::Button, prop::kLeft, -40000, -limit},
        {Kind::Label, prop::kTop, 32700, limit},
        {Kind::PicBox, prop::kWidth, 32767, limit},
        {Kind::PicBox, prop::kWidth, -5, 0},
        {Kind::EditBox, prop::kHeight, std::string("120"), 120},
        {Kind::Button, prop::kVisible, 5, 1},
        {Kind::Button, prop::kDisabled, std::string("0"), 0},
        {Kind::Button, prop::kTag, 17, std::string("17")},
        // choices go to the nearer end of their list
        {Kind::Button, prop::button::kType, 4, 2},
        {Kind::Button, prop::button::kHAlign, -3, 0},
        {Kind::GroupBox, prop::groupbox::kCaptionAlign, 9, 2},
        {Kind::Label, prop::label::kBorder, 6, 5},
        {Kind::EditBox, prop::editbox::kScrollBars, 7, 3},
        {Kind::EditBox, prop::editbox::kMaxLength, -1, 0},
        {Kind::ComboBox, prop::combobox::kType, 3, 2},
        {Kind::ComboBox, prop::combobox::kSelection, -5, -1},
        {Kind::SliderBar, prop::slider::kPageSize, 0, 1},
        {Kind::SliderBar, prop::slider::kMaximum, 40000, 32767},
        {Kind::SliderBar, prop::slider::kMinimum, -1, 0},
        {Kind::DrawPanel, prop::drawpanel::kDrawMode, 16, 15},
        {Kind::DrawPanel, prop::drawpanel::kPenWidth, -2, 0},
        {Kind::Window, prop::window::kBorderStyle, 8, 6},
        // texts and colours
        {Kind::Button, prop::button::kCaption, 12, std::string("12")},
        {Kind::GroupBox, prop::groupbox::kCaptionColour, static_cast<std::int32_t>(kDefaultColour),
         static_cast<std::int32_t>(kDefaultColour)},
        {Kind::PicBox, prop::picbox::kPicture, std::string("not bytes"), Bytes{}},
        // the serial port's adjustments
        {Kind::SerialPort, prop::serial::kPortNumber, 0, 1},
        {Kind::SerialPort, prop::serial::kPortNumber, -4, 1},
        {Kind::SerialPort, prop::serial::kBaudRate, -9600, 0},
        {Kind::SerialPort, prop::serial::kDataBits, 3, 3},
        {Kind::SerialPort, prop::serial::kStopBits, 4, 3},
        {Kind::SerialPort, prop::serial::kStopBits, 0, 1},
        {Kind::SerialPort, prop::serial::kParityCheck, 2, 1},
        {Kind::SerialPort, prop::serial::kTimeout, -1, 0},
        {Kind::SerialPort, prop::serial::kParity, 9, 4},
        {Kind::SerialPort, prop::serial::kFlowControl, 7, 5},
        {Kind::SerialPort, prop::serial::kRtsControl, 3, 2},
        {Kind::SerialPort, prop::serial::kDtrControl, -1, 0},
        {Kind::DropTarget, prop::droptarget::kAcceptFiles, 7, 1},
        // numbers a kind does not know are kept as given
        {Kind::Button, 40, std::string("kept"), std::string("kept")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(normaliseProperty(c.kind, c.property, c.written), c.stored)
            << static_cast<int>(c.kind) << " property " << c.property;
    }
}

TEST(PropertyRules, ComboSelectionClearsBelowZeroAndStopsAtTheLastItem) {
    struct Case {
        std::int32_t requested;
        int items;
        std::int32_t selected;
    };
    const Case cases[] = {{0, 33, 0},   {5, 33, 5},     {32, 33, 32}, {33, 33, 32}, {100, 33, 32},
                          {-1, 33, -1}, {-100, 33, -1}, {0, 0, -1},   {3, 0, -1},   {INT32_MAX, 1, 0}};
    for (const auto& c : cases) EXPECT_EQ(comboSelection(c.requested, c.items), c.selected) << c.requested;
}

TEST(PropertyRules, SliderPositionStaysInItsRange) {
    EXPECT_EQ(sliderPosition(60, 1, 240), 60);
    EXPECT_EQ(sliderPosition(0, 1, 240), 1);
    EXPECT_EQ(sliderPosition(500, 1, 240), 240);
    EXPECT_EQ(sliderPosition(50, 10, 5), 10) << "a maximum below the minimum counts as the minimum";
}

TEST(PropertyRules, ItemsTravelAsOneText) {
    EXPECT_EQ(splitItems("COM0\r\nCOM1\nCOM2"), (std::vector<std::string>{"COM0", "COM1", "COM2"}));
    EXPECT_EQ(splitItems("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(splitItems("").empty());
    EXPECT_EQ(joinItems({"x", "y"}), "x\r\ny");
}

TEST(StoredUnits, ReadBackWhatTheRulesStoredOrTheEmptyValueOfTheType) {
    StoredUnit unit(main_window::kDropTarget, Kind::DropTarget);
    EXPECT_EQ(unit.read(prop::droptarget::kAcceptFiles), Value{0});
    unit.write(prop::droptarget::kAcceptFiles, std::string("3"));
    EXPECT_EQ(unit.read(prop::droptarget::kAcceptFiles), Value{1});
    EXPECT_EQ(unit.read(prop::kTag), Value{std::string()});
    EXPECT_EQ(unit.read(prop::kMousePointer), Value{Bytes{}});
}

// The main window's block: 4, 1, 57600, 8, 1, 0, 1000, 0, text length 0, 0, 0, 0, 0.
const Bytes kMainWindowBlock = [] {
    Bytes b;
    for (std::uint32_t v : {4u, 1u, 57600u, 8u, 1u, 0u, 1000u, 0u, 0u, 0u, 0u, 0u, 0u}) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    return b;
}();

TEST(SerialSettingsBlock, LoadsEveryVersionUpToFourAndRefusesLaterOnes) {
    auto loaded = decodeSerialSettings(kMainWindowBlock);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->baudRate, 57600);
    EXPECT_EQ(loaded->timeout, 1000);
    EXPECT_EQ(encodeSerialSettings(*loaded), kMainWindowBlock);

    Bytes v1(kMainWindowBlock.begin(), kMainWindowBlock.begin() + 36);
    v1[0] = 1;
    v1[4] = 0;  // PortNumber 0 loads as 1, as a write would store it
    loaded = decodeSerialSettings(v1);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->portNumber, 1);
    EXPECT_EQ(loaded->parity, 0);

    Bytes v5 = kMainWindowBlock;
    v5[0] = 5;
    EXPECT_FALSE(decodeSerialSettings(v5)) << "a later version makes loading fail";
    Bytes v0 = kMainWindowBlock;
    v0[0] = 0;
    EXPECT_FALSE(decodeSerialSettings(v0));
    for (std::size_t cut : {std::size_t{3}, std::size_t{20}, std::size_t{51}}) {
        EXPECT_FALSE(decodeSerialSettings(Bytes(kMainWindowBlock.begin(), kMainWindowBlock.begin() + cut)))
            << cut;
    }
    EXPECT_TRUE(decodeSerialSettings(Bytes{})) << "no block: the kind's defaults";
    EXPECT_EQ(decodeSerialSettings(Bytes{})->baudRate, 19200);
}

TEST(SerialSettingsBlock, EventCharacterLengthMayNotRunPastTheBlock) {
    SerialSettings s;
    s.eventChar = "\n";
    Bytes block = encodeSerialSettings(s);
    ASSERT_EQ(decodeSerialSettings(block)->eventChar, "\n");
    block[32] = 0xFF;  // the length field
    block[33] = 0xFF;
    block[34] = 0xFF;
    block[35] = 0x7F;
    EXPECT_FALSE(decodeSerialSettings(block));
    block[35] = 0xFF;  // negative
    EXPECT_FALSE(decodeSerialSettings(block));
}

TEST(FontRecords, RoundTripAndCutTheFaceOnACharacterBoundary) {
    FontRecord f;
    f.height = -12;
    f.weight = 700;
    f.italic = true;
    f.face = "微软雅黑";
    const Bytes bytes = encodeFont(f);
    ASSERT_EQ(bytes.size(), kFontRecordSize);
    const auto back = decodeFont(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->height, -12);
    EXPECT_EQ(back->weight, 700);
    EXPECT_TRUE(back->italic);
    EXPECT_EQ(back->face, "微软雅黑");

    f.face = std::string(29, 'a') + "雅";  // 32 bytes: the 3-byte character does not fit before the zero
    EXPECT_EQ(decodeFont(encodeFont(f))->face, std::string(29, 'a'));
    EXPECT_FALSE(decodeFont(Bytes(59, 0)));
}

TEST(WindowPlacement, BesideTheMainWindowInsideTheScreenAndClearOfWhatItControls) {
    // The main window's frame 1013 x 661 with its preview group 530 x 536 at 237, 86 inside the frame; the
    // window to place 336 x 555.
    const auto main = [](int left, int top) { return ScreenRect{left, top, 1013, 661}; };
    const auto preview = [](int left, int top) { return ScreenRect{left + 237, top + 86, 530, 536}; };
    struct Case {
        const char* what;
        ScreenRect main, screen;
        int left, top;
    };
    const Case cases[] = {
        {"room on the right", main(453, 200), {0, 0, 1920, 1080}, 1474, 200},
        {"room on the left only", main(900, 100), {0, 0, 1920, 1080}, 556, 100},
        {"low on the screen: pulled up", main(453, 700), {0, 0, 1920, 1080}, 1474, 525},
        {"a laptop: over the buttons", main(176, 53), {0, 0, 1366, 728}, 1030, 53},
        {"a second screen", main(2000, 0), {1920, 0, 1920, 1080}, 3021, 0},
    };
    for (const Case& c : cases) {
        const ScreenRect placed = placeBeside(c.main, preview(c.main.left, c.main.top), 336, 555, c.screen);
        EXPECT_EQ(placed, (ScreenRect{c.left, c.top, 336, 555})) << c.what;
    }
    // No way round the preview: the screen's edge that covers least of it.
    const ScreenRect small{0, 0, 1024, 768};
    const ScreenRect placed = placeBeside(main(5, 0), preview(5, 0), 336, 555, small);
    EXPECT_EQ(placed.left, 1024 - 336);
}

}  // namespace
}  // namespace tessary
