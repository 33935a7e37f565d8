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
    UnitDef u = plain(main_window::kLog, Kind::EditBox, main_window::kLogGroup, {8, 16, 176, 512});
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
    UnitDef u = plain(main_window::kComList, Kind::ComboBox, "", {136, 16, 64, 20});
    u.properties = {{c::kType, 2},
                    {c::kSorted, 0},
                    {c::kTextColour, kBlack},
                    {c::kBackColour, kWhite},
                    {c::kItems, comPortItems()},
                    {c::kSelection, 0}};
    return u;
}

// The burning time's own menu, on the slider and on its label.
UnitDef withBurningTimeMenu(UnitDef u) {
    u.contextMenu = {{"Test card…", "openTestCard"}};
    return u;
}

UnitDef burningTimeSlider() {
    namespace s = prop::slider;
    UnitDef u = plain(main_window::kBurningTime, Kind::SliderBar, "", {24, 600, 752, 24});
    u.properties = {{s::kBorder, 0},         {s::kVertical, 0}, {s::kTickMarks, 2}, {s::kTickFrequency, 1},
                    {s::kSelectionShown, 0}, {s::kPageSize, 5}, {s::kLineSize, 1},  {s::kMinimum, 1},
                    {s::kMaximum, 240},      {s::kPosition, 60}};
    u.events = {{event::kMouseMove, "showBurningTime"}, {event::kLeftUp, "sendBurningTime"}};
    return withBurningTimeMenu(u);
}

UnitDef dropTarget() {
    namespace d = prop::droptarget;
    UnitDef u = plain(main_window::kDropTarget, Kind::DropTarget, "", {1016, 8, 24, 24});
    u.properties = {{d::kAcceptText, 0}, {d::kAcceptHtml, 0}, {d::kAcceptUrls, 0}, {d::kAcceptFiles, 1}};
    u.events = {{event::kFilesDropped, "takeInPicture"}};
    return u;
}

UnitDef serialPort() {
    UnitDef u = plain(main_window::kPort, Kind::SerialPort, "", {968, 16, 24, 24});
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
        {"Layout…", "openLayoutWindow"},
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
    w.shortcuts = {{"Ctrl+Shift+P", "openPictureOptions"},
                   {"Ctrl+O", "openPicture"},
                   {"Ctrl+T", "openTextWindow"},
                   {"Ctrl+L", "openLayoutWindow"},
                   {"Ctrl+J", "openJobWindow"},
                   {"Ctrl+Shift+B", "openTestCard"}};
    w.units = {
        button(main_window::kRotate, main_window::kImageEditingGroup, {176, 24, 48, 40}, "Rotate", "rotate"),
        button(main_window::kReload, main_window::kImageEditingGroup, {64, 24, 48, 40}, "Reload", "reload"),
        button(main_window::kZoomOut, "", {888, 536, 40, 40}, " Zoom Out", "zoomOut"),
        button(main_window::kZoomIn, "", {784, 536, 40, 40}, " Zoom In", "zoomIn"),
        groupBox(main_window::kImageEditingGroup, {768, 512, 232, 80}, "Image Editing", kTeal),
        button(main_window::kFastForward, "", {928, 456, 64, 40}, "   Fast   Forward", "fastForward"),
        button(main_window::kRecarve, "", {856, 456, 64, 40}, "Recarve", "recarve"),
        button(main_window::kFastBackward, "", {784, 456, 64, 40}, "   Fast  Backward", "fastBackward"),
        groupBox(main_window::kCarveRateGroup, {768, 440, 232, 64}, "Carve Rate Control", kTeal),
        withArrowKeys(button(main_window::kJogRight, "", {920, 384, 56, 40}, "Right", "jogRight")),
        withArrowKeys(button(main_window::kJogLeft, "", {792, 384, 56, 40}, "Left", "jogLeft")),
        withArrowKeys(button(main_window::kJogDown, "", {856, 384, 56, 40}, "Down", "jogDown")),
        withArrowKeys(button(main_window::kJogUp, "", {856, 336, 56, 40}, "Up", "jogUp")),
        groupBox(main_window::kMovementGroup, {768, 320, 232, 112}, "Movement", kTeal),
        withPreviewMenu(
            drawPanel(main_window::kHorizontalRuler, main_window::kCanvas, {0, 499, 511, 12}, kBorderNone)),
        withPreviewMenu(
            drawPanel(main_window::kVerticalRuler, main_window::kCanvas, {499, 0, 12, 512}, kBorderNone)),
        comList(),
        button(main_window::kFrameCarvingArea, main_window::kLocationGroup, {48, 144, 136, 56},
               "Carving Preview", "frameCarvingArea"),
        button(main_window::kToMiddle, main_window::kLocationGroup, {48, 80, 136, 56}, "To Middle of Image",
               "toMiddle"),
        button(main_window::kToLowerLeft, main_window::kLocationGroup, {48, 16, 136, 56},
               "To Left Lower Corner", "toLowerLeft"),
        groupBox(main_window::kLocationGroup, {768, 96, 232, 208}, "Location Mode", kTeal),
        withPreviewMenu(
            picBox(main_window::kPreview, main_window::kCanvas, {0, 0, 512, 512}, placeholderPicture(), 0)),
        button(main_window::kSetting, "", {920, 592, 64, 32}, "Setting", "openSetting"),
        button(main_window::kRestart, "", {648, 8, 96, 40}, "Restart", "restart"),
        drawPanel(main_window::kCanvas, main_window::kPreviewGroup, {8, 16, 512, 512}, kBorderLine),
        groupBox(main_window::kPreviewGroup, {232, 56, 530, 536}, "Carve Preview", kBlack),
        button(main_window::kDisconnect, "", {136, 8, 64, 32}, "Break", "disconnect"),
        button(main_window::kPause, "", {464, 8, 96, 40}, "Pause", "pause"),
        dropTarget(),
        logBox(),
        groupBox(main_window::kLogGroup, {24, 56, 192, 536}, "Message", kBlack),
        button(main_window::kConnect, "", {40, 8, 64, 32}, "Connect", "connect"),
        withBurningTimeMenu(label(main_window::kBurningTimeLabel, {784, 592, 112, 32}, "Burning time:60")),
        burningTimeSlider(),
        button(main_window::kStart, "", {280, 8, 96, 40}, "Start", "start"),
        button(main_window::kUploadImage, "", {800, 16, 160, 72}, "Send Image To Machine", "uploadImage"),
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
