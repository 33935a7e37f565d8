// SPDX-License-Identifier: GPL-3.0-or-later
// A job kept after any mix of view clicks and option changes opens with the very engraving and preview file
// it had: with the default options the clicks compound on the preview, and only their replay gives it back.
#include <gtest/gtest.h>

#include "intake/fitting.h"
#include "intake/headless.h"
#include "job/job_file.h"
#include "job/replay.h"
#include "job_test_support.h"
#include "support/temp_folder.h"

namespace tessary::job::testing {
namespace {

image::ConversionOptions photoOptions() {
    image::ConversionOptions o;
    o.mode = image::Conversion::FloydSteinberg;
    o.gamma = 140;
    o.size = 300;
    o.mirror = true;
    return o;
}

// Clicks R, I, O; D sets the default options and N the photo options, each redrawing as the Picture options
// window does.
void play(intake::ImageState& state, intake::Surroundings& around, const std::string& script) {
    for (char c : script) {
        if (c == 'R') intake::rotate(state, around);
        if (c == 'I') intake::zoomIn(state, around);
        if (c == 'O') intake::zoomOut(state, around);
        if (c == 'D' || c == 'N') {
            state.options = c == 'D' ? image::ConversionOptions{} : photoOptions();
            intake::reconvert(state, around);
        }
    }
}

struct Kept {
    Bytes engraving, preview;
};

// The job of what the console holds after the script, written, read back and opened in a fresh console.
Kept keptAndOpened(const JobItem& item, const std::filesystem::path& folder) {
    Job job;
    job.items.push_back(item);
    const JobReading read = readJob(encodeJob(job), "kept.tessary");
    EXPECT_TRUE(read.job) << read.error;
    if (!read.job) return {};
    intake::ImageState opened;
    intake::Headless around((folder / "opened.bmp").string(), true);
    EXPECT_EQ(openJobItem(read.job->items[0], opened, around), intake::IntakeResult::Prepared);
    return {opened.engraving.ToByteSet(), fileBytes(folder / "opened.bmp")};
}

TEST(JobReplay, OpensWithTheEngravingItWasKeptWith) {
    tessary::testing::TempFolder folder;
    const auto picture = folder.path() / "photo.bmp";
    writeFileBytes(picture, patternBmp(700, 420));
    const std::string scripts[] = {"",     "R",    "RRRRR", "IO",   "OOOI",      "RIOR",
                                   "NRIO", "NIDO", "OND",   "ONOD", "ROORNDOIR", std::string(80, 'O')};
    for (const bool photo : {false, true})
        for (const std::string& script : scripts) {
            // Every click draws anew with the photo options: the long run tells only with the defaults.
            if (photo && script.size() > 20) continue;
            intake::ImageState state;
            if (photo) state.options = photoOptions();
            intake::Headless around((folder.path() / "console.bmp").string(), true);
            ASSERT_EQ(intake::takeIn(state, around, picture.string()), intake::IntakeResult::Prepared);
            play(state, around, script);
            const auto item = itemFromState(state, std::make_shared<const Bytes>(fileBytes(picture)));
            ASSERT_TRUE(item);
            EXPECT_EQ(std::get<PictureSource>(item->source).name, "photo.bmp");
            const Kept opened = keptAndOpened(*item, folder.path());
            EXPECT_EQ(opened.engraving, state.engraving.ToByteSet()) << (photo ? "photo " : "") << script;
            EXPECT_EQ(opened.preview, fileBytes(folder.path() / "console.bmp")) << script;
        }
}

TEST(JobReplay, ZoomsAJobNoFurtherThanTheButtonsCan) {
    tessary::testing::TempFolder folder;
    intake::Headless around((folder.path() / "console.bmp").string(), true);
    Job job = pictureJob(patternBmp(700, 420));
    job.items[0].options = photoOptions();
    intake::ImageState clicked;
    clicked.options = photoOptions();
    ASSERT_EQ(openJobItem(job.items[0], clicked, around), intake::IntakeResult::Prepared);
    for (int i = 0; i < 60; ++i) intake::zoomIn(clicked, around);
    ASSERT_LT(clicked.zoomSteps, 60);
    job.items[0].view.zoomSteps = intake::kZoomStepLimit;
    intake::ImageState opened;
    ASSERT_EQ(openJobItem(job.items[0], opened, around), intake::IntakeResult::Prepared);
    EXPECT_EQ(opened.zoomSteps, clicked.zoomSteps);
    EXPECT_EQ(opened.engraving.ToByteSet(), clicked.engraving.ToByteSet());
}

TEST(JobReplay, OpensTypedTextAndReloadsAJobsPictureFromMemory) {
    tessary::testing::TempFolder folder;
    intake::ImageState state;
    intake::Headless around((folder.path() / "console.bmp").string(), true);
    render::TextStyle style;
    style.bold = true;
    ASSERT_EQ(intake::takeInText(state, around, {"Anna\n2026", style}), intake::IntakeResult::Prepared);
    play(state, around, "RONI");
    const auto item = itemFromState(state);
    ASSERT_TRUE(item);
    EXPECT_EQ(keptAndOpened(*item, folder.path()).engraving, state.engraving.ToByteSet());

    // A job's picture has no file to read again: Reload takes its bytes in again.
    intake::ImageState opened;
    const Job job = pictureJob(patternBmp(300, 200));
    ASSERT_EQ(openJobItem(job.items[0], opened, around), intake::IntakeResult::Prepared);
    const Bytes first = opened.engraving.ToByteSet();
    intake::rotate(opened, around);
    intake::reload(opened, around);
    EXPECT_EQ(opened.engraving.ToByteSet(), first);
    EXPECT_EQ(itemFromState(opened)->view, intake::ViewTrail{});
}

TEST(JobReplay, ARefusedPictureLeavesTheConsolesPictureAsItWas) {
    tessary::testing::TempFolder folder;
    intake::ImageState state;
    intake::Headless around((folder.path() / "console.bmp").string(), true);
    const Job good = pictureJob(patternBmp(100, 100), "good.bmp");
    ASSERT_EQ(openJobItem(good.items[0], state, around), intake::IntakeResult::Prepared);
    const Bytes engraving = state.engraving.ToByteSet();
    Job bad = pictureJob(textBytes("no picture at all"), "bad.jpg");
    bad.items[0].options = photoOptions();
    EXPECT_EQ(openJobItem(bad.items[0], state, around), intake::IntakeResult::Refused);
    EXPECT_EQ(state.engraving.ToByteSet(), engraving);
    EXPECT_EQ(state.options, image::ConversionOptions{});
    EXPECT_EQ(state.droppedFileName, "good.bmp");
}

}  // namespace
}  // namespace tessary::job::testing
