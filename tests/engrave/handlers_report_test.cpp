// The machine's position reports: red pixels on the canvas 画板1, shown over the preview that covers it.
#include <QTimer>

#include "app/qt/qt_services.h"
#include "handlers_fixture.h"

namespace tessary::testing {
namespace {

constexpr int kRed = 0x0000FF;

bool canvasRed(Window& main, int x, int y) {
    const image::Raster& r = main.drawPanel("画板1").pixels();
    const std::uint8_t* p = r.at(x, y);
    return p[0] == 255 && p[1] == 0 && p[2] == 0;
}

int canvasRedCount(Window& main) {
    const image::Raster& r = main.drawPanel("画板1").pixels();
    int n = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) n += canvasRed(main, x, y);
    return n;
}

QImage preview(ConsoleTest& t) { return t.widget("图片框1")->grab().toImage(); }

TEST_F(ConsoleTest, ReportsDrawRedPixelsVisibleOverThePreview) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::pair<int, int>> drawn;
    };
    const Case cases[] = {
        {"one report", {0xFF, 0x01, 0x17, 0x02, 0x2D}, {{123, 245}}},
        {"a sync byte inside a report restarts it", {0xFF, 0x01, 0x17, 0xFF, 0x02, 0x2D, 0x00, 0x05}, {{245, 5}}},
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
    QTimer::singleShot(5, [&] { machine.write({0xFF, 0x00, 0x01, 0x00, 0x02, 0xFF, 0x00, 0x03, 0x00, 0x04}); });
    QTimer::singleShot(45, [&] { drawnDuringPause = canvasRedCount(main()) > 0; });
    click("按钮上");
    EXPECT_FALSE(drawnDuringPause);
    EXPECT_TRUE(processUntil([&] { return canvasRed(main(), 3, 4); }));
    EXPECT_TRUE(canvasRed(main(), 1, 2));
}

}  // namespace
}  // namespace tessary::testing
