// SPDX-License-Identifier: GPL-3.0-or-later
// The two windows as data: units, placement, captions and every binding.
#include <gtest/gtest.h>

#include <set>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/model/serial_settings.h"

namespace tessary {
namespace {

struct Placement {
    const char* name;
    Kind kind;
    const char* container;
    int left, top, width, height;
    const char* caption;  // nullptr: none
};

// The main window's units in definition order.
const Placement kMainUnits[] = {
    {main_window::kRotate, Kind::Button, main_window::kImageEditingGroup, 176, 24, 48, 40, "Rotate"},
    {main_window::kReload, Kind::Button, main_window::kImageEditingGroup, 64, 24, 48, 40, "Reload"},
    {main_window::kZoomOut, Kind::Button, "", 888, 536, 40, 40, " Zoom Out"},
    {main_window::kZoomIn, Kind::Button, "", 784, 536, 40, 40, " Zoom In"},
    {main_window::kImageEditingGroup, Kind::GroupBox, "", 768, 512, 232, 80, "Image Editing"},
    {main_window::kFastForward, Kind::Button, "", 928, 456, 64, 40, "   Fast   Forward"},
    {main_window::kRecarve, Kind::Button, "", 856, 456, 64, 40, "Recarve"},
    {main_window::kFastBackward, Kind::Button, "", 784, 456, 64, 40, "   Fast  Backward"},
    {main_window::kCarveRateGroup, Kind::GroupBox, "", 768, 440, 232, 64, "Carve Rate Control"},
    {main_window::kJogRight, Kind::Button, "", 920, 384, 56, 40, "Right"},
    {main_window::kJogLeft, Kind::Button, "", 792, 384, 56, 40, "Left"},
    {main_window::kJogDown, Kind::Button, "", 856, 384, 56, 40, "Down"},
    {main_window::kJogUp, Kind::Button, "", 856, 336, 56, 40, "Up"},
    {main_window::kMovementGroup, Kind::GroupBox, "", 768, 320, 232, 112, "Movement"},
    {main_window::kHorizontalRuler, Kind::DrawPanel, main_window::kCanvas, 0, 499, 511, 12, nullptr},
    {main_window::kVerticalRuler, Kind::DrawPanel, main_window::kCanvas, 499, 0, 12, 512, nullptr},
    {main_window::kComList, Kind::ComboBox, "", 136, 16, 64, 20, nullptr},
    {main_window::kFrameCarvingArea, Kind::Button, main_window::kLocationGroup, 48, 144, 136, 56,
     "Carving Preview"},
    {main_window::kToMiddle, Kind::Button, main_window::kLocationGroup, 48, 80, 136, 56,
     "To Middle of Image"},
    {main_window::kToLowerLeft, Kind::Button, main_window::kLocationGroup, 48, 16, 136, 56,
     "To Left Lower Corner"},
    {main_window::kLocationGroup, Kind::GroupBox, "", 768, 96, 232, 208, "Location Mode"},
    {main_window::kPreview, Kind::PicBox, main_window::kCanvas, 0, 0, 512, 512, nullptr},
    {main_window::kSetting, Kind::Button, "", 920, 592, 64, 32, "Setting"},
    {main_window::kRestart, Kind::Button, "", 648, 8, 96, 40, "Restart"},
    {main_window::kCanvas, Kind::DrawPanel, main_window::kPreviewGroup, 8, 16, 512, 512, nullptr},
    {main_window::kPreviewGroup, Kind::GroupBox, "", 232, 56, 530, 536, "Carve Preview"},
    {main_window::kDisconnect, Kind::Button, "", 136, 8, 64, 32, "Break"},
    {main_window::kPause, Kind::Button, "", 464, 8, 96, 40, "Pause"},
    {main_window::kDropTarget, Kind::DropTarget, "", 1016, 8, 24, 24, nullptr},
    {main_window::kLog, Kind::EditBox, main_window::kLogGroup, 8, 16, 176, 512, nullptr},
    {main_window::kLogGroup, Kind::GroupBox, "", 24, 56, 192, 536, "Message"},
    {main_window::kConnect, Kind::Button, "", 40, 8, 64, 32, "Connect"},
    {main_window::kBurningTimeLabel, Kind::Label, "", 784, 592, 112, 32, "Burning time:60"},
    {main_window::kBurningTime, Kind::SliderBar, "", 24, 600, 752, 24, nullptr},
    {main_window::kStart, Kind::Button, "", 280, 8, 96, 40, "Start"},
    {main_window::kUploadImage, Kind::Button, "", 800, 16, 160, 72, "Send Image To Machine"},
    {main_window::kPort, Kind::SerialPort, "", 968, 16, 24, 24, nullptr},
};

const Placement kSettingUnits[] = {
    {setting_window::kVersion, Kind::Button, "", 432, 256, 88, 32, "Version"},
    {setting_window::kPicture, Kind::PicBox, "", 24, 16, 488, 224, nullptr},
    {setting_window::kStepPulseLabel, Kind::Label, "", 104, 259, 112, 32, "Motor Step Pluse :"},
    {setting_window::kStepPulse, Kind::EditBox, "", 224, 264, 48, 24, nullptr},
    {setting_window::kSave, Kind::Button, "", 296, 264, 48, 24, "Save"},
};

int captionProperty(Kind k) {
    switch (k) {
        case Kind::Button:
            return prop::button::kCaption;
        case Kind::GroupBox:
            return prop::groupbox::kCaption;
        case Kind::Label:
            return prop::label::kCaption;
        default:
            return -1;
    }
}

template <std::size_t N>
void expectUnits(const WindowDef& def, const Placement (&expected)[N]) {
    ASSERT_EQ(def.units.size(), N);
    for (std::size_t i = 0; i < N; ++i) {
        const UnitDef& u = def.units[i];
        const Placement& e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(u.name, e.name);
        EXPECT_EQ(u.kind, e.kind);
        EXPECT_EQ(u.container, e.container);
        EXPECT_EQ(std::vector<int>({u.left, u.top, u.width, u.height}),
                  std::vector<int>({e.left, e.top, e.width, e.height}));
        EXPECT_TRUE(u.visible);
        EXPECT_FALSE(u.disabled);
        if (e.caption) {
            const Value* caption = u.property(captionProperty(u.kind));
            ASSERT_NE(caption, nullptr);
            EXPECT_EQ(asText(*caption), e.caption);
        }
        if (!u.container.empty()) {
            const UnitDef* c = def.find(u.container);
            ASSERT_NE(c, nullptr);
            EXPECT_TRUE(c->kind == Kind::GroupBox || c->kind == Kind::DrawPanel);
        }
        const bool visual = u.kind != Kind::SerialPort && u.kind != Kind::DropTarget;
        if (visual && u.container.empty()) {
            EXPECT_LE(u.left + u.width, def.clientWidth);
            EXPECT_LE(u.top + u.height, def.clientHeight);
        }
    }
}

TEST(WindowDefinitions, MainWindowHoldsItsThirtySevenUnitsAsDefined) {
    const WindowDef& def = mainWindowDefinition();
    expectUnits(def, kMainUnits);
    EXPECT_EQ(asText(*def.property(prop::window::kCaption)), "Tessary\r\n");
    EXPECT_EQ(def.width, 1013);
    EXPECT_EQ(def.height, 661);
    EXPECT_TRUE(def.centred);
    EXPECT_TRUE(def.minimizeBox);
    EXPECT_FALSE(def.maximizeBox);
}

TEST(WindowDefinitions, SettingWindowHoldsItsFiveUnits) {
    const WindowDef& def = settingWindowDefinition();
    expectUnits(def, kSettingUnits);
    EXPECT_EQ(asText(*def.property(prop::window::kCaption)), "");
    const UnitDef& box = *def.find(setting_window::kStepPulse);
    EXPECT_EQ(asText(*box.property(prop::editbox::kContent)), "35");
    EXPECT_EQ(asInt(*box.property(prop::editbox::kInputMode)), 3) << "digits and minus only";
    EXPECT_EQ(asInt(*def.find(setting_window::kPicture)->property(prop::picbox::kDisplayMode)), 1);
}

TEST(WindowDefinitions, BothEditBoxesNamedAlikeAreDistinctUnits) {
    const UnitDef* log = mainWindowDefinition().find(main_window::kLog);
    const UnitDef* step = settingWindowDefinition().find(setting_window::kStepPulse);
    ASSERT_TRUE(log && step);
    EXPECT_TRUE(asBool(*log->property(prop::editbox::kMultiLine)));
    EXPECT_FALSE(asBool(*step->property(prop::editbox::kMultiLine)));
}

TEST(WindowDefinitions, UnitNamesAreUniqueWithinAWindow) {
    for (const WindowDef* def :
         {&mainWindowDefinition(), &settingWindowDefinition(), &pictureOptionsWindowDefinition()}) {
        std::set<std::string> names;
        for (const auto& u : def->units) EXPECT_TRUE(names.insert(u.name).second) << u.name;
    }
}

TEST(WindowDefinitions, BindEveryEventOfTheBindingTableAndNothingElse) {
    const std::vector<std::tuple<std::string, int, std::string>> expectedMain = {
        {"", event::kCreated, "startup"},
        {"", event::kKeyDown, "arrowKeys"},
        {"", event::kDestroying, "deletePreviewFile"},
        {"", event::kShortcut, "openPictureOptions"},
        {"", event::kShortcut + 1, "openPicture"},
        {"", event::kShortcut + 2, "openTextWindow"},
        {"", event::kShortcut + 3, "openLayoutWindow"},
        {"", event::kShortcut + 4, "openJobWindow"},
        {"", event::kShortcut + 5, "openTestCard"},
        {main_window::kRotate, event::kClick, "rotate"},
        {main_window::kReload, event::kClick, "reload"},
        {main_window::kZoomOut, event::kClick, "zoomOut"},
        {main_window::kZoomIn, event::kClick, "zoomIn"},
        {main_window::kFastForward, event::kClick, "fastForward"},
        {main_window::kRecarve, event::kClick, "recarve"},
        {main_window::kFastBackward, event::kClick, "fastBackward"},
        {main_window::kJogRight, event::kClick, "jogRight"},
        {main_window::kJogRight, event::kKeyDown, "arrowKeys"},
        {main_window::kJogLeft, event::kClick, "jogLeft"},
        {main_window::kJogLeft, event::kKeyDown, "arrowKeys"},
        {main_window::kJogDown, event::kClick, "jogDown"},
        {main_window::kJogDown, event::kKeyDown, "arrowKeys"},
        {main_window::kJogUp, event::kClick, "jogUp"},
        {main_window::kJogUp, event::kKeyDown, "arrowKeys"},
        {main_window::kHorizontalRuler, event::kMenuItem, "openPictureOptions"},
        {main_window::kHorizontalRuler, event::kMenuItem + 1, "openPicture"},
        {main_window::kHorizontalRuler, event::kMenuItem + 2, "openTextWindow"},
        {main_window::kHorizontalRuler, event::kMenuItem + 3, "openLayoutWindow"},
        {main_window::kVerticalRuler, event::kMenuItem, "openPictureOptions"},
        {main_window::kVerticalRuler, event::kMenuItem + 1, "openPicture"},
        {main_window::kVerticalRuler, event::kMenuItem + 2, "openTextWindow"},
        {main_window::kVerticalRuler, event::kMenuItem + 3, "openLayoutWindow"},
        {main_window::kFrameCarvingArea, event::kClick, "frameCarvingArea"},
        {main_window::kToMiddle, event::kClick, "toMiddle"},
        {main_window::kToLowerLeft, event::kClick, "toLowerLeft"},
        {main_window::kPreview, event::kMenuItem, "openPictureOptions"},
        {main_window::kPreview, event::kMenuItem + 1, "openPicture"},
        {main_window::kPreview, event::kMenuItem + 2, "openTextWindow"},
        {main_window::kPreview, event::kMenuItem + 3, "openLayoutWindow"},
        {main_window::kSetting, event::kClick, "openSetting"},
        {main_window::kRestart, event::kClick, "restart"},
        {main_window::kDisconnect, event::kClick, "disconnect"},
        {main_window::kPause, event::kClick, "pause"},
        {main_window::kDropTarget, event::kFilesDropped, "takeInPicture"},
        {main_window::kConnect, event::kClick, "connect"},
        {main_window::kBurningTimeLabel, event::kMenuItem, "openTestCard"},
        {main_window::kBurningTime, event::kMouseMove, "showBurningTime"},
        {main_window::kBurningTime, event::kLeftUp, "sendBurningTime"},
        {main_window::kBurningTime, event::kMenuItem, "openTestCard"},
        {main_window::kStart, event::kClick, "start"},
        {main_window::kUploadImage, event::kClick, "uploadImage"},
        {main_window::kPort, event::kDataArrived, "positionReport"},
        {main_window::kPort, event::kDeviceGone, "connectionLost"},
    };
    std::vector<std::tuple<std::string, int, std::string>> actual;
    for (const auto& b : bindingsOf(mainWindowDefinition())) actual.emplace_back(b.unit, b.event, b.handler);
    EXPECT_EQ(actual, expectedMain);

    actual.clear();
    for (const auto& b : bindingsOf(settingWindowDefinition()))
        actual.emplace_back(b.unit, b.event, b.handler);
    EXPECT_EQ(actual, (std::vector<std::tuple<std::string, int, std::string>>{
                          {setting_window::kVersion, event::kClick, "showVersion"},
                          {setting_window::kSave, event::kClick, "saveStepPulse"}}));
}

TEST(WindowDefinitions, SerialPortCarriesTheFiftyTwoByteSettingsBlock) {
    const UnitDef& port = *mainWindowDefinition().find(main_window::kPort);
    ASSERT_EQ(port.serialSettings.size(), 52u);
    const auto s = decodeSerialSettings(port.serialSettings);
    ASSERT_TRUE(s);
    EXPECT_EQ(std::vector<std::int32_t>({s->portNumber, s->baudRate, s->dataBits, s->stopBits, s->timeout}),
              std::vector<std::int32_t>({1, 57600, 8, 1, 1000}));
    EXPECT_FALSE(s->parityCheck);
    EXPECT_FALSE(s->openOnCreate);
    EXPECT_TRUE(s->eventChar.empty());
}

TEST(WindowDefinitions, ComListHoldsCom0ToCom32WithCom0Selected) {
    const UnitDef& list = *mainWindowDefinition().find(main_window::kComList);
    const auto items = splitItems(asText(*list.property(prop::combobox::kItems)));
    ASSERT_EQ(items.size(), 33u);
    for (int n = 0; n <= 32; ++n) EXPECT_EQ(items[n], "COM" + std::to_string(n));
    EXPECT_EQ(asInt(*list.property(prop::combobox::kSelection)), 0);
    EXPECT_EQ(asInt(*list.property(prop::combobox::kType)), 2);
}

TEST(WindowDefinitions, PlaceholderIsASixteenColourBmpOfTheStatedSize) {
    const Bytes picture =
        asBytes(*mainWindowDefinition().find(main_window::kPreview)->property(prop::picbox::kPicture));
    ASSERT_EQ(picture.size(), 131190u);
    EXPECT_EQ(picture[0], 'B');
    EXPECT_EQ(picture[1], 'M');
    EXPECT_EQ(picture[28], 4) << "bits per pixel";
    EXPECT_EQ(picture[18] | picture[19] << 8, 512);
    EXPECT_EQ(picture[22] | picture[23] << 8, 512);
}

}  // namespace
}  // namespace tessary
