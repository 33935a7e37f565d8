// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/definitions/definitions.h"
#include "app/definitions/unit_names.h"
#include "app/definitions/unit_records.h"
#include "app/model/font_record.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/model/serial_settings.h"
#include "tessary_resources.h"

namespace tessary {

namespace {

using namespace records;

constexpr std::int32_t kTeal = colourValue(0, 128, 128);

std::string comPortItems() {
    std::vector<std::string> items;
    for (int n = 0; n <= 32; ++n) items.push_back("COM" + std::to_string(n));
    return joinItems(items);
}

UnitDef logBox() {
    namespace e = prop::editbox;
    UnitDef u = plain(unit::编辑框1, Kind::EditBox, unit::分组框1, {8, 16, 176, 512});
    FontRecord font;
    font.height = -12;
    font.weight = 400;
    font.face = "微软雅黑";
    u.properties = {
        {e::kContent, std::string{}}, {e::kBorder, kBorderLine},    {e::kTextColour, kBlack},
        {e::kBackColour, kWhite},     {e::kFont, encodeFont(font)}, {e::kHideSelection, 1},
        {e::kMaxLength, 0},           {e::kMultiLine, 1},           {e::kScrollBars, 2},
        {e::kAlignment, 0},           {e::kInputMode, 0},
    };
    return u;
}

UnitDef comList() {
    namespace c = prop::combobox;
    UnitDef u = plain(unit::组合框1, Kind::ComboBox, "", {136, 16, 64, 20});
    u.properties = {{c::kType, 2},
                    {c::kSorted, 0},
                    {c::kTextColour, kBlack},
                    {c::kBackColour, kWhite},
                    {c::kItems, comPortItems()},
                    {c::kSelection, 0}};
    return u;
}

UnitDef burningTimeSlider() {
    namespace s = prop::slider;
    UnitDef u = plain(unit::滑块条1, Kind::SliderBar, "", {24, 600, 752, 24});
    u.properties = {{s::kBorder, 0},         {s::kVertical, 0}, {s::kTickMarks, 2}, {s::kTickFrequency, 1},
                    {s::kSelectionShown, 0}, {s::kPageSize, 5}, {s::kLineSize, 1},  {s::kMinimum, 1},
                    {s::kMaximum, 240},      {s::kPosition, 60}};
    u.events = {{event::kMouseMove, "showBurningTime"}, {event::kLeftUp, "sendBurningTime"}};
    return u;
}

UnitDef dropTarget() {
    namespace d = prop::droptarget;
    UnitDef u = plain(unit::拖放对象1, Kind::DropTarget, "", {1016, 8, 24, 24});
    u.properties = {{d::kAcceptText, 0}, {d::kAcceptHtml, 0}, {d::kAcceptUrls, 0}, {d::kAcceptFiles, 1}};
    u.events = {{event::kFilesDropped, "takeInPicture"}};
    return u;
}

UnitDef serialPort() {
    UnitDef u = plain(unit::端口1, Kind::SerialPort, "", {968, 16, 24, 24});
    SerialSettings settings;
    settings.portNumber = 1;
    settings.baudRate = 57600;
    settings.dataBits = 8;
    settings.stopBits = 1;
    settings.parityCheck = false;
    settings.timeout = 1000;
    settings.openOnCreate = false;
    u.serialSettings = encodeSerialSettings(settings);
    u.events = {{event::kDataArrived, "positionReport"}, {event::kDeviceGone, "connectionLost"}};
    return u;
}

UnitDef withArrowKeys(UnitDef u) {
    u.events.push_back({event::kKeyDown, "arrowKeys"});
    return u;
}

// The context menu of the preview, the same on the picture and on the ruler strips over it.
std::vector<MenuItem> previewMenu() {
    return {
        {"Picture options…", "openPictureOptions"},
        {"Open picture…", "openPicture"},
        {"Text…", "openTextWindow"},
    };
}

UnitDef withPreviewMenu(UnitDef u) {
    u.contextMenu = previewMenu();
    u.toolTip = "Right-click for Picture options (dithering, size, brightness…), Open picture… and Text…";
    return u;
}

Bytes placeholderPicture() {
    const auto bytes = resources::placeholderBmp();
    return Bytes(bytes.begin(), bytes.end());
}

WindowDef build() {
    WindowDef w;
    w.name = "main";
    w.width = 1013;
    w.height = 661;
    // The client area the definition's coordinates refer to: the outer size less a fixed single frame.
    w.clientWidth = 1007;
    w.clientHeight = 632;
    w.centred = true;
    w.minimizeBox = true;
    w.maximizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Tessary\r\n")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "startup"},
                {event::kKeyDown, "arrowKeys"},
                {event::kDestroying, "deletePreviewFile"}};
    w.shortcuts = {
        {"Ctrl+Shift+P", "openPictureOptions"}, {"Ctrl+O", "openPicture"}, {"Ctrl+T", "openTextWindow"}};
    w.units = {
        button(unit::按钮旋转, unit::分组框6, {176, 24, 48, 40}, "Rotate", "rotate"),
        button(unit::按钮重载, unit::分组框6, {64, 24, 48, 40}, "Reload", "reload"),
        button(unit::按钮缩小, "", {888, 536, 40, 40}, " Zoom Out", "zoomOut"),
        button(unit::按钮放大, "", {784, 536, 40, 40}, " Zoom In", "zoomIn"),
        groupBox(unit::分组框6, {768, 512, 232, 80}, "Image Editing", kTeal),
        button(unit::按钮快进, "", {928, 456, 64, 40}, "   Fast   Forward", "fastForward"),
        button(unit::按钮复位, "", {856, 456, 64, 40}, "Recarve", "recarve"),
        button(unit::按钮快退, "", {784, 456, 64, 40}, "   Fast  Backward", "fastBackward"),
        groupBox(unit::分组框5, {768, 440, 232, 64}, "Carve Rate Control", kTeal),
        withArrowKeys(button(unit::按钮右, "", {920, 384, 56, 40}, "Right", "jogRight")),
        withArrowKeys(button(unit::按钮左, "", {792, 384, 56, 40}, "Left", "jogLeft")),
        withArrowKeys(button(unit::按钮下, "", {856, 384, 56, 40}, "Down", "jogDown")),
        withArrowKeys(button(unit::按钮上, "", {856, 336, 56, 40}, "Up", "jogUp")),
        groupBox(unit::分组框4, {768, 320, 232, 112}, "Movement", kTeal),
        withPreviewMenu(drawPanel(unit::画板3, unit::画板1, {0, 499, 511, 12}, kBorderNone)),
        withPreviewMenu(drawPanel(unit::画板2, unit::画板1, {499, 0, 12, 512}, kBorderNone)),
        comList(),
        button(unit::按钮框定位, unit::分组框3, {48, 144, 136, 56}, "Carving Preview", "frameCarvingArea"),
        button(unit::按钮中心, unit::分组框3, {48, 80, 136, 56}, "To Middle of Image", "toMiddle"),
        button(unit::按钮点定位, unit::分组框3, {48, 16, 136, 56}, "To Left Lower Corner", "toLowerLeft"),
        groupBox(unit::分组框3, {768, 96, 232, 208}, "Location Mode", kTeal),
        withPreviewMenu(picBox(unit::图片框1, unit::画板1, {0, 0, 512, 512}, placeholderPicture(), 0)),
        button(unit::按钮高级, "", {920, 592, 64, 32}, "Setting", "openSetting"),
        button(unit::按钮重启, "", {648, 8, 96, 40}, "Restart", "restart"),
        drawPanel(unit::画板1, unit::分组框2, {8, 16, 512, 512}, kBorderLine),
        groupBox(unit::分组框2, {232, 56, 530, 536}, "Carve Preview", kBlack),
        button(unit::按钮断开, "", {136, 8, 64, 32}, "Break", "disconnect"),
        button(unit::按钮暂停, "", {464, 8, 96, 40}, "Pause", "pause"),
        dropTarget(),
        logBox(),
        groupBox(unit::分组框1, {24, 56, 192, 536}, "Message", kBlack),
        button(unit::按钮连接, "", {40, 8, 64, 32}, "Connect", "connect"),
        label(unit::滑块标签, {784, 592, 112, 32}, "Burning time:60"),
        burningTimeSlider(),
        button(unit::按钮开始, "", {280, 8, 96, 40}, "Start", "start"),
        button(unit::按钮发送数据, "", {800, 16, 160, 72}, "Send Image To Machine", "uploadImage"),
        serialPort(),
    };
    return w;
}

}  // namespace

const WindowDef& mainWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
