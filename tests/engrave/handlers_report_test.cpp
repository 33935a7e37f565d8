// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's position reports: red pixels on the canvas, shown over the preview that covers it.
#include <QTimer>

#include "app/definitions/unit_names.h"
#include "app/qt/qt_services.h"
#include "engrave/job_progress.h"
#include "engrave/report_decoder.h"
#include "handlers_fixture.h"
#include "image/picture.h"
#include "intake/image_state.h"

namespace tessary::testing {
namespace {

constexpr int kRed = 0x0000FF;

bool canvasRed(Window& main, int x, int y) {
    const image::Raster& r = main.drawPanel(main_window::kCanvas).pixels();
    const std::uint8_t* p = r.at(x, y);
    return p[0] == 255 && p[1] == 0 && p[2] == 0;
}

int canvasRedCount(Window& main) {
    const image::Raster& r = main.drawPanel(main_window::kCanvas).pixels();
    int n = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) n += canvasRed(main, x, y);
    return n;
}

QImage preview(ConsoleTest& t) { return t.widget(main_window::kPreview)->grab().toImage(); }

TEST_F(ConsoleTest, ReportsDrawRedPixelsVisibleOverThePreview) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::pair<int, int>> drawn;
    };
    const Case cases[] = {
        {"one report", {0xFF, 0x01, 0x17, 0x02, 0x2D}, {{123, 245}}},
        {"a sync byte inside a report restarts it",
         {0xFF, 0x01, 0x17, 0xFF, 0x02, 0x2D, 0x00, 0x05},
         {{245, 5}}},
        {"the first four bytes after start-up need no sync", {0x00, 0x05, 0x00, 0x07}, {{5, 7}}},
        {"off the surface", {0xFF, 0x06, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x01, 0x05, 0x0A}, {}},
        {"last column and row", {0xFF, 0x05, 0x09, 0x05, 0x09, 0xFF, 0x05, 0x0A, 0x00, 0x00}, {{509, 509}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        machine.write(c.bytes);
        // The last report of each case is the one to wait for; "off the surface" waits for nothing to come.
        if (c.drawn.empty()) {
            processUntil([] { return false; }, 100ms);
        } else {
            const auto [x, y] = c.drawn.back();
            EXPECT_TRUE(processUntil([&] { return canvasRed(main(), x, y); }));
        }
        EXPECT_EQ(canvasRedCount(main()), static_cast<int>(c.drawn.size()));
        const QImage shown = preview(*this);
        for (const auto& [x, y] : c.drawn) {
            // The vertical ruler lies over the preview's last columns.
            if (x < 499 && y < 499) {
                EXPECT_TRUE(isRed(shown, x, y)) << x << "," << y;
            }
        }
        console->destroyMainWindow();
        console.reset();
    }
}

TEST_F(ConsoleTest, RedrawingTheCanvasTakesTheMarksOffThePreview) {
    start();
    takeIn(writePicture(pictureWithBlack(50, 50, {})));
    machine.write({0xFF, 0x00, 0x0A, 0x00, 0x14});
    ASSERT_TRUE(processUntil([&] { return canvasRed(main(), 10, 20); }));
    ASSERT_TRUE(isRed(preview(*this), 10, 20));
    takeIn(writePicture(pictureWithBlack(50, 50, {})));
    processUntil([] { return false; }, 20ms);
    EXPECT_FALSE(isRed(preview(*this), 10, 20));
    EXPECT_FALSE(canvasRed(main(), 10, 20));
}

TEST_F(ConsoleTest, BytesArrivingDuringAPauseWaitForTheHandlerAndComeInOrder) {
    qt::BlockingClock realClock;
    start(&realClock);
    bool drawnDuringPause = true;
    QTimer::singleShot(5, [&] {
        machine.write({0xFF, 0x00, 0x01, 0x00, 0x02, 0xFF, 0x00, 0x03, 0x00, 0x04});
    });
    QTimer::singleShot(45, [&] { drawnDuringPause = canvasRedCount(main()) > 0; });
    click(main_window::kJogUp);
    EXPECT_FALSE(drawnDuringPause);
    EXPECT_TRUE(processUntil([&] { return canvasRed(main(), 3, 4); }));
    EXPECT_TRUE(canvasRed(main(), 1, 2));
}

TEST_F(ConsoleTest, AJobsReportsShowItsProgressAndItsEndOnTheBarOverThePreview) {
    start();
    std::vector<std::pair<int, int>> points;
    for (int y = 10; y < 15; ++y)
        for (int x = 10; x < 16; ++x) points.emplace_back(x, y);
    takeIn(writePicture(pictureWithBlack(40, 40, points)));
    click(main_window::kUploadImage);
    ASSERT_EQ(newLog(),
              "----Please wait----.\r\n\r\nErasing Last Image...\r\n\r\nSending New Image...\r\n\r\n"
              "Sending completed !\r\n\r\n");
    // The machine carves the sent image's black pixels row by row from the first row on the wire.
    const auto wire = image::LoadPicture(console->state<intake::ImageState>().engraving.ToByteSet());
    ASSERT_TRUE(wire);
    std::vector<engrave::Point> black;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            if (wire->at(x, 511 - y)[0] == 0) black.push_back({x, y});
    ASSERT_GT(black.size(), 10u);
    ASSERT_NE(black.front(), (engrave::Point{0, 0}));
    const auto n = static_cast<long long>(black.size()), half = n / 2;
    SCOPED_TRACE(std::to_string(n) + " black pixels");
    const auto report = [&](engrave::Point p, std::chrono::seconds at) {
        clock.current = std::chrono::steady_clock::time_point{} + at;
        const auto bytes = *engrave::encodeReport(p);
        std::fill_n(main().drawPanel(main_window::kCanvas).pixels().at(p.x, p.y), 3,
                    std::uint8_t{255});  // to see it come
        machine.write(Bytes(bytes.begin(), bytes.end()));
        return processUntil([&] { return canvasRed(main(), p.x, p.y); });
    };
    const std::string finished = "Engraving finished in 2 min 5 s\r\n\r\n";

    ASSERT_TRUE(report(black.back(), 0s));
    EXPECT_EQ(newLog(), "") << "a report before Start is no job's";
    EXPECT_EQ(previewBar(), "The machine is carving an image sent earlier");

    click(main_window::kStart);
    EXPECT_EQ(previewBar(), "Engraving: 0 %");
    ASSERT_TRUE(report({0, 0}, 0s));  // before the first black pixel
    ASSERT_TRUE(report(black[half - 1], std::chrono::seconds(half)));
    EXPECT_EQ(previewBar(), "Engraving: " + std::to_string(half * 100 / n) + " % \xC2\xB7 about " +
                                engrave::durationText(std::chrono::seconds(n - half)) + " left");
    click(main_window::kPause);
    EXPECT_EQ(previewBar(), "Paused");
    click(main_window::kPause);
    EXPECT_TRUE(previewBar().starts_with("Engraving: ")) << previewBar();
    // Broken off, the bar claims no time left until the machine's reports come again.
    click(main_window::kDisconnect);
    EXPECT_EQ(previewBar(),
              "Engraving: " + std::to_string(half * 100 / n) + " % \xC2\xB7 machine not connected");
    click(main_window::kConnect);
    ASSERT_TRUE(machinePortOpen());
    ASSERT_TRUE(report(black[half], std::chrono::seconds(half + 1)));
    EXPECT_TRUE(previewBar().starts_with("Engraving: ") &&
                previewBar().find("connected") == std::string::npos)
        << previewBar();
    newLog();
    ASSERT_TRUE(report(black.back(), 125s));
    EXPECT_EQ(newLog(), finished);
    EXPECT_EQ(previewBar(), "") << "the bar goes with the job";
    ASSERT_TRUE(report(black.back(), 130s));
    EXPECT_EQ(newLog(), "") << "once";
}

}  // namespace
}  // namespace tessary::testing

namespace tessary::testing {
namespace {

TEST_F(ConsoleTest, AfterAReplugTheBarShowsTheJobSaysWhenTheMachineSendsNothingAndANewRunStartsUnmarked) {
    start();
    takeIn(writePicture(pictureWithBlack(40, 40, {{10, 10}, {11, 10}})));
    click(main_window::kUploadImage);
    const auto report = [&](engrave::Point p) {
        const auto bytes = *engrave::encodeReport(p);
        machine.write(Bytes(bytes.begin(), bytes.end()));
        return processUntil([&] { return canvasRed(main(), p.x, p.y); });
    };
    const auto after = [&](std::chrono::seconds s) {
        clock.current += s;
        clock.ticks.tick();
        return previewBar();
    };
    click(main_window::kStart);
    ASSERT_TRUE(report({0, 0}));
    click(main_window::kPause);
    machine.hangUp();
    ASSERT_TRUE(processUntil([&] { return previewBar() == "Paused \xC2\xB7 machine not connected"; }));
    machine.plugInAgain();
    after(1s);
    EXPECT_TRUE(
        newLog().ends_with("Reconnected to the machine\r\n\r\nPort\xEF\xBC\x9A"
                           "COM5\r\n\r\n"));
    EXPECT_EQ(previewBar(), "Paused") << "the job as it stands";

    click(main_window::kStart);  // the machine was switched off and on: it has no image and sends nothing
    const std::string silent = "Engraving: 0 %" + std::string(engrave::JobProgress::kSilentText);
    EXPECT_EQ(after(4s), "Engraving: 0 %");
    EXPECT_EQ(after(1s), silent);
    EXPECT_EQ(clock.ticks.live(), 0u) << "said once, then nothing is watched";

    const auto wire = image::LoadPicture(console->state<intake::ImageState>().engraving.ToByteSet());
    ASSERT_TRUE(wire);
    engrave::Point last{};
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            if (wire->at(x, 511 - y)[0] == 0) last = {x, y};
    ASSERT_TRUE(report(last));
    EXPECT_NE(newLog().find("Engraving finished in"), std::string::npos);
    ASSERT_GT(canvasRedCount(main()), 0);
    click(main_window::kStart);
    EXPECT_EQ(canvasRedCount(main()), 0) << "the new run's marks are its own";
    processUntil([] { return false; }, 20ms);
    EXPECT_FALSE(isRed(preview(*this), last.x, last.y));
}

}  // namespace
}  // namespace tessary::testing
