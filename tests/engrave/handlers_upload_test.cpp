// SPDX-License-Identifier: GPL-3.0-or-later
// Send Image To Machine: the erase burst, the pause, the image, and the paths where nothing may be sent.
#include <array>
#include <filesystem>
#include <fstream>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "engrave/handlers/engrave_handlers.h"
#include "handlers_fixture.h"
#include "image/files.h"
#include "image/picture.h"
#include "intake/image_state.h"

namespace tessary::testing {
namespace {

constexpr std::size_t kImageBytes = 32830;
const std::string kUploadLog =
    "----Please wait----.\r\n\r\nErasing Last Image...\r\n\r\nSending New Image...\r\n\r\n"
    "Sending completed !\r\n\r\n";

std::vector<bool> controlStates(ConsoleTest& t, Window& main) {
    (void)t;
    std::vector<bool> states;
    for (std::string_view unit : shell::kMachineControls)
        states.push_back(main.getInt(unit, prop::kDisabled) == 0);
    return states;
}

TEST_F(ConsoleTest, UploadErasesWaitsThenSendsThePreparedImage) {
    start();
    takeIn(writePicture(pictureWithBlack(100, 80, {{0, 0}, {99, 79}})));
    const Bytes image = console->state<intake::ImageState>().engraving.ToByteSet();
    ASSERT_EQ(image.size(), kImageBytes);
    const Bytes head{0x42, 0x4D, 0x3E, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x3E, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), image.begin()));
    // On the wire the preview is upside down: its first stored row is the preview's top row.
    const auto wire = image::LoadPicture(image), preview = image::LoadPicture(image::previewFilePath(runDir));
    ASSERT_TRUE(wire && preview);
    for (int y = 0; y < 512; ++y) {
        ASSERT_TRUE(std::equal(wire->at(0, y), wire->at(0, y) + 512 * 3, preview->at(0, 511 - y)))
            << "row " << y;
    }
    Bytes erase(8, 0xFE);
    Bytes expected = erase;
    expected.insert(expected.end(), image.begin(), image.end());

    Bytes atPause;
    clock.during = [&] { atPause = machine.received(erase.size()); };
    for (int round = 1; round <= 2; ++round) {
        machine.clear();
        clock.pauses.clear();
        click(main_window::kUploadImage);
        EXPECT_EQ(atPause, erase) << "round " << round << ": only the erase burst before the pause";
        EXPECT_EQ(clock.pauses, std::vector<std::chrono::milliseconds>{3000ms});
        EXPECT_EQ(machine.received(expected.size()), expected) << "round " << round;
        EXPECT_EQ(newLog(), kUploadLog);
        EXPECT_TRUE(boxes.shown.empty());
        for (std::string_view unit : shell::kMachineControls) {
            const bool off = unit == main_window::kFastBackward || unit == main_window::kFastForward ||
                             unit == main_window::kRecarve;
            EXPECT_EQ(enabled(unit), !off) << unit;
        }
    }
}

TEST_F(ConsoleTest, UploadThatCannotSendSaysSoAndLeavesTheControlsAlone) {
    const std::string noPicture =
        "ERROR: Please drag and drop pictures to a specified location before you start carving";
    const std::string notSent =
        "ERROR: The image was not sent to the machine. Check the connection and send the image again.";
    struct Case {
        const char* what;
        std::function<void(ConsoleTest&)> setUp;
        Bytes sent;
        std::string log;
        std::string box;
        bool lost = false;  // the window learns afterwards that the machine is gone
    };
    const auto picture = [](ConsoleTest& t) { t.takeIn(t.writePicture(pictureWithBlack(20, 20, {{3, 4}}))); };
    const Case cases[] = {
        {"no picture was dropped", [](ConsoleTest&) {}, {}, "", noPicture},
        {"a preview file left from an earlier run",
         [](ConsoleTest& t) {
             std::filesystem::copy_file(t.writePicture(pictureWithBlack(512, 512, {{1, 1}})),
                                        image::previewFilePath(t.runDir));
         },
         {},
         "",
         noPicture},
        {"the link is closed",
         [&](ConsoleTest& t) {
             picture(t);
             t.click(main_window::kDisconnect);
             t.newLog();
         },
         {},
         "----Please wait----.\r\n\r\nErasing Last Image...\r\n\r\nSending failed !\r\n\r\n",
         notSent},
        {"the machine is gone during the pause",
         [&](ConsoleTest& t) {
             picture(t);
             t.clock.during = [&t] { t.machine.hangUp(); };
         },
         Bytes(8, 0xFE),
         "----Please wait----.\r\n\r\nErasing Last Image...\r\n\r\nSending New Image...\r\n\r\nSending "
         "failed !\r\n\r\n",
         notSent, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(image::previewFilePath(runDir));
        start();
        c.setUp(*this);
        machine.clear();
        const auto before = controlStates(*this, main());
        static_cast<qt::QtWindow&>(main()).raise(main_window::kUploadImage, event::kClick, {});
        EXPECT_EQ(machine.received(c.sent.size()), c.sent);
        EXPECT_EQ(newLog(), c.log);
        EXPECT_EQ(boxes.lines(), std::vector<std::string>{c.box});
        if (c.lost) {
            const std::string lost = "Connection lost: the machine was unplugged or switched off\r\n\r\n";
            std::string after;
            EXPECT_TRUE(processUntil([&] { return (after += newLog()).ends_with(lost); }));
            EXPECT_EQ(after, lost) << "after the failure and its box";
            EXPECT_EQ(controlStates(*this, main()), std::vector<bool>(20, false));
        } else {
            EXPECT_EQ(controlStates(*this, main()), before);
        }
        console->destroyMainWindow();
        console.reset();
        boxes.shown.clear();
        clock.during = nullptr;
    }
}

}  // namespace
}  // namespace tessary::testing
