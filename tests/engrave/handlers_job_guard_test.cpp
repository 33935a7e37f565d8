// SPDX-License-Identifier: GPL-3.0-or-later
// While the machine carves the image it was sent, a change of the preview and the window's close ask first.
#include <gtest/gtest.h>

#include <QWidget>

#include "app/definitions/unit_names.h"
#include "app/qt/qt_window.h"
#include "engrave/handlers/job_guard.h"
#include "handlers_fixture.h"
#include "intake/image_state.h"

namespace tessary::testing {
namespace {

TEST_F(ConsoleTest, WhileTheMachineCarvesThePreviewAndTheCloseAskFirst) {
    start();
    takeIn(writePicture(pictureWithBlack(100, 80, {{0, 0}, {99, 79}})));
    const auto engraving = [&] { return console->state<intake::ImageState>().engraving.ToByteSet(); };

    // No job: the view buttons act at once.
    click(main_window::kRotate);
    EXPECT_TRUE(boxes.asked.empty());
    click(main_window::kUploadImage);
    click(main_window::kStart);
    const Bytes sent = engraving();

    struct Case {
        std::size_t answer;  // 0: change the preview, 1: keep it
        const char* button;
        bool changes;
    };
    for (const Case c : {Case{1, main_window::kRotate, false}, Case{1, main_window::kZoomIn, false},
                         Case{1, main_window::kReload, false}, Case{0, main_window::kRotate, true}}) {
        SCOPED_TRACE(c.button);
        boxes.asked.clear();
        boxes.answers = {c.answer};
        click(c.button);
        EXPECT_EQ(boxes.asked, std::vector<std::string>{std::string(engrave::kChangePreviewText)});
        EXPECT_EQ(engraving() != sent, c.changes);
    }

    // Closing: Cancel keeps the window; "Pause the machine and close" pauses as the button does, then closes.
    QWidget* window = static_cast<qt::QtWindow&>(main()).widget();
    boxes.asked.clear();
    boxes.answers = {2};
    window->close();
    EXPECT_EQ(boxes.asked, std::vector<std::string>{std::string(engrave::kCloseDuringJobText)});
    ASSERT_TRUE(console->hasMainWindow());
    machine.clear();
    boxes.answers = {0};
    window->close();
    EXPECT_EQ(machine.received(1), (Bytes{0xF2}));
    EXPECT_FALSE(console->hasMainWindow());
}

}  // namespace
}  // namespace tessary::testing
