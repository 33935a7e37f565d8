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
    {"按钮旋转", Kind::Button, "分组框6", 176, 24, 48, 40, "Rotate"},
    {"按钮重载", Kind::Button, "分组框6", 64, 24, 48, 40, "Reload"},
    {"按钮缩小", Kind::Button, "", 888, 536, 40, 40, " Zoom Out"},
    {"按钮放大", Kind::Button, "", 784, 536, 40, 40, " Zoom In"},
    {"分组框6", Kind::GroupBox, "", 768, 512, 232, 80, "Image Editing"},
    {"按钮快进", Kind::Button, "", 928, 456, 64, 40, "   Fast   Forward"},
    {"按钮复位", Kind::Button, "", 856, 456, 64, 40, "Recarve"},
    {"按钮快退", Kind::Button, "", 784, 456, 64, 40, "   Fast  Backward"},
    {"分组框5", Kind::GroupBox, "", 768, 440, 232, 64, "Carve Rate Control"},
    {"按钮右", Kind::Button, "", 920, 384, 56, 40, "Right"},
    {"按钮左", Kind::Button, "", 792, 384, 56, 40, "Left"},
    {"按钮下", Kind::Button, "", 856, 384, 56, 40, "Down"},
    {"按钮上", Kind::Button, "", 856, 336, 56, 40, "Up"},
    {"分组框4", Kind::GroupBox, "", 768, 320, 232, 112, "Movement"},
    {"画板3", Kind::DrawPanel, "画板1", 0, 499, 511, 12, nullptr},
    {"画板2", Kind::DrawPanel, "画板1", 499, 0, 12, 512, nullptr},
    {"组合框1", Kind::ComboBox, "", 136, 16, 64, 20, nullptr},
    {"按钮框定位", Kind::Button, "分组框3", 48, 144, 136, 56, "Carving Preview"},
    {"按钮中心", Kind::Button, "分组框3", 48, 80, 136, 56, "To Middle of Image"},
    {"按钮点定位", Kind::Button, "分组框3", 48, 16, 136, 56, "To Left Lower Corner"},
    {"分组框3", Kind::GroupBox, "", 768, 96, 232, 208, "Location Mode"},
    {"图片框1", Kind::PicBox, "画板1", 0, 0, 512, 512, nullptr},
    {"按钮高级", Kind::Button, "", 920, 592, 64, 32, "Setting"},
    {"按钮重启", Kind::Button, "", 648, 8, 96, 40, "Restart"},
    {"画板1", Kind::DrawPanel, "分组框2", 8, 16, 512, 512, nullptr},
    {"分组框2", Kind::GroupBox, "", 232, 56, 530, 536, "Carve Preview"},
    {"按钮断开", Kind::Button, "", 136, 8, 64, 32, "Break"},
    {"按钮暂停", Kind::Button, "", 464, 8, 96, 40, "Pause"},
    {"拖放对象1", Kind::DropTarget, "", 1016, 8, 24, 24, nullptr},
    {"编辑框1", Kind::EditBox, "分组框1", 8, 16, 176, 512, nullptr},
    {"分组框1", Kind::GroupBox, "", 24, 56, 192, 536, "Message"},
    {"按钮连接", Kind::Button, "", 40, 8, 64, 32, "Connect"},
    {"滑块标签", Kind::Label, "", 784, 592, 112, 32, "Burning time:60"},
    {"滑块条1", Kind::SliderBar, "", 24, 600, 752, 24, nullptr},
    {"按钮开始", Kind::Button, "", 280, 8, 96, 40, "Start"},
    {"按钮发送数据", Kind::Button, "", 800, 16, 160, 72, "Send Image To Machine"},
    {"端口1", Kind::SerialPort, "", 968, 16, 24, 24, nullptr},
};

const Placement kSettingUnits[] = {
    {"按钮2", Kind::Button, "", 432, 256, 88, 32, "Version"},
    {"图片框1", Kind::PicBox, "", 24, 16, 488, 224, nullptr},
    {"标签2", Kind::Label, "", 104, 259, 112, 32, "Motor Step Pluse :"},
    {"编辑框1", Kind::EditBox, "", 224, 264, 48, 24, nullptr},
    {"按钮1", Kind::Button, "", 296, 264, 48, 24, "Save"},
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
    const UnitDef& box = *def.find("编辑框1");
    EXPECT_EQ(asText(*box.property(prop::editbox::kContent)), "35");
    EXPECT_EQ(asInt(*box.property(prop::editbox::kInputMode)), 3) << "digits and minus only";
    EXPECT_EQ(asInt(*def.find("图片框1")->property(prop::picbox::kDisplayMode)), 1);
}

TEST(WindowDefinitions, BothEditBoxesNamedAlikeAreDistinctUnits) {
    const UnitDef* log = mainWindowDefinition().find("编辑框1");
    const UnitDef* step = settingWindowDefinition().find("编辑框1");
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
        {"按钮旋转", event::kClick, "rotate"},
        {"按钮重载", event::kClick, "reload"},
        {"按钮缩小", event::kClick, "zoomOut"},
        {"按钮放大", event::kClick, "zoomIn"},
        {"按钮快进", event::kClick, "fastForward"},
        {"按钮复位", event::kClick, "recarve"},
        {"按钮快退", event::kClick, "fastBackward"},
        {"按钮右", event::kClick, "jogRight"},
        {"按钮右", event::kKeyDown, "arrowKeys"},
        {"按钮左", event::kClick, "jogLeft"},
        {"按钮左", event::kKeyDown, "arrowKeys"},
        {"按钮下", event::kClick, "jogDown"},
        {"按钮下", event::kKeyDown, "arrowKeys"},
        {"按钮上", event::kClick, "jogUp"},
        {"按钮上", event::kKeyDown, "arrowKeys"},
        {"画板3", event::kMenuItem, "openPictureOptions"},
        {"画板3", event::kMenuItem + 1, "openPicture"},
        {"画板3", event::kMenuItem + 2, "openTextWindow"},
        {"画板2", event::kMenuItem, "openPictureOptions"},
        {"画板2", event::kMenuItem + 1, "openPicture"},
        {"画板2", event::kMenuItem + 2, "openTextWindow"},
        {"按钮框定位", event::kClick, "frameCarvingArea"},
        {"按钮中心", event::kClick, "toMiddle"},
        {"按钮点定位", event::kClick, "toLowerLeft"},
        {"图片框1", event::kMenuItem, "openPictureOptions"},
        {"图片框1", event::kMenuItem + 1, "openPicture"},
        {"图片框1", event::kMenuItem + 2, "openTextWindow"},
        {"按钮高级", event::kClick, "openSetting"},
        {"按钮重启", event::kClick, "restart"},
        {"按钮断开", event::kClick, "disconnect"},
        {"按钮暂停", event::kClick, "pause"},
        {"拖放对象1", event::kFilesDropped, "takeInPicture"},
        {"按钮连接", event::kClick, "connect"},
        {"滑块条1", event::kMouseMove, "showBurningTime"},
        {"滑块条1", event::kLeftUp, "sendBurningTime"},
        {"按钮开始", event::kClick, "start"},
        {"按钮发送数据", event::kClick, "uploadImage"},
        {"端口1", event::kDataArrived, "positionReport"},
        {"端口1", event::kDeviceGone, "connectionLost"},
    };
    std::vector<std::tuple<std::string, int, std::string>> actual;
    for (const auto& b : bindingsOf(mainWindowDefinition())) actual.emplace_back(b.unit, b.event, b.handler);
    EXPECT_EQ(actual, expectedMain);

    actual.clear();
    for (const auto& b : bindingsOf(settingWindowDefinition()))
        actual.emplace_back(b.unit, b.event, b.handler);
    EXPECT_EQ(actual,
              (std::vector<std::tuple<std::string, int, std::string>>{
                  {"按钮2", event::kClick, "showVersion"}, {"按钮1", event::kClick, "saveStepPulse"}}));
}

TEST(WindowDefinitions, SerialPortCarriesTheFiftyTwoByteSettingsBlock) {
    const UnitDef& port = *mainWindowDefinition().find("端口1");
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
    const UnitDef& list = *mainWindowDefinition().find("组合框1");
    const auto items = splitItems(asText(*list.property(prop::combobox::kItems)));
    ASSERT_EQ(items.size(), 33u);
    for (int n = 0; n <= 32; ++n) EXPECT_EQ(items[n], "COM" + std::to_string(n));
    EXPECT_EQ(asInt(*list.property(prop::combobox::kSelection)), 0);
    EXPECT_EQ(asInt(*list.property(prop::combobox::kType)), 2);
}

TEST(WindowDefinitions, PlaceholderIsASixteenColourBmpOfTheStatedSize) {
    const Bytes picture = asBytes(*mainWindowDefinition().find("图片框1")->property(prop::picbox::kPicture));
    ASSERT_EQ(picture.size(), 131190u);
    EXPECT_EQ(picture[0], 'B');
    EXPECT_EQ(picture[1], 'M');
    EXPECT_EQ(picture[28], 4) << "bits per pixel";
    EXPECT_EQ(picture[18] | picture[19] << 8, 512);
    EXPECT_EQ(picture[22] | picture[23] << 8, 512);
}

}  // namespace
}  // namespace tessary
