// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/report_decoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessary::engrave {
namespace {

std::vector<Point> decodeAll(ReportDecoder& decoder, const std::vector<std::uint8_t>& bytes) {
    std::vector<Point> points;
    for (const std::uint8_t b : bytes) {
        if (const auto p = decoder.feed(b)) points.push_back(*p);
    }
    return points;
}

TEST(ReportDecoder, DecodesReportsFromAFreshStart) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::vector<Point> points;
    };
    const Case cases[] = {
        {"one report", {0xFF, 0x01, 0x17, 0x02, 0x2D}, {{123, 245}}},
        {"sync inside a report restarts it", {0xFF, 0x01, 0x17, 0xFF, 0x02, 0x2D, 0x00, 0x05}, {{245, 5}}},
        {"first four bytes need no sync", {0x00, 0x05, 0x00, 0x07}, {{5, 7}}},
        {"position off the surface is still decoded", {0xFF, 0x06, 0x00, 0x00, 0x00}, {{600, 0}}},
        {"bytes after the fourth are dropped", {0xFF, 0, 1, 0, 2, 0, 3, 0, 4, 9, 9, 9, 9}, {{1, 2}}},
        {"counter is not cleared after a report", {0x00, 0x05, 0x00, 0x07, 0x00, 0x01, 0x00, 0x01}, {{5, 7}}},
        {"back to back reports",
         {0xFF, 0, 1, 0, 2, 0xFF, 0, 3, 0, 4, 0xFF, 2, 54, 1, 99},
         {{1, 2}, {3, 4}, {254, 199}}},
        {"sync after surplus bytes recovers", {0xFF, 0, 1, 0, 2, 7, 7, 0xFF, 0, 3, 0, 4}, {{1, 2}, {3, 4}}},
        {"largest parts", {0xFF, 254, 254, 254, 254}, {{25654, 25654}}},
        {"lone syncs report nothing", {0xFF, 0xFF, 0xFF}, {}},
    };
    for (const Case& c : cases) {
        ReportDecoder decoder;
        EXPECT_EQ(decodeAll(decoder, c.bytes), c.points) << c.what;
        if (!c.points.empty()) {
            EXPECT_EQ(decoder.last(), c.points.back()) << c.what;
        }
    }
}

TEST(ReportDecoder, EndlessBytesWithoutSyncAreHarmlessAndTheNextSyncRecovers) {
    ReportDecoder decoder;
    std::vector<std::uint8_t> noise(5'000'000, 0x2A);
    EXPECT_EQ(decodeAll(decoder, noise).size(), 1u);
    EXPECT_EQ(decodeAll(decoder, {0xFF, 0x01, 0x17, 0x02, 0x2D}), (std::vector<Point>{{123, 245}}));
}

TEST(ReportDecoder, SurfaceIsTheCanvasDrawingArea) {
    const std::pair<Point, bool> cases[] = {
        {{0, 0}, true},    {{509, 509}, true}, {{123, 245}, true}, {{510, 0}, false},
        {{0, 510}, false}, {{600, 0}, false},  {{-1, 5}, false},
    };
    for (const auto& [p, inside] : cases) EXPECT_EQ(onSurface(p), inside) << p.x << "," << p.y;
}

TEST(ReportDecoder, EncodedReportsDecodeToTheSamePoint) {
    for (const Point p :
         {Point{0, 0}, Point{123, 245}, Point{509, 509}, Point{99, 100}, Point{25499, 25499}}) {
        const auto report = encodeReport(p);
        ASSERT_TRUE(report);
        ReportDecoder decoder;
        EXPECT_EQ(decodeAll(decoder, {report->begin(), report->end()}), std::vector<Point>{p});
    }
    EXPECT_FALSE(encodeReport({25500, 0}));
    EXPECT_FALSE(encodeReport({0, -1}));
}

}  // namespace
}  // namespace tessary::engrave
