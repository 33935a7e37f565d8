// SPDX-License-Identifier: GPL-3.0-or-later
// tessary-prepare and jobs: a job saved from options and a picture gives, byte for byte, what the options
// give on the picture; a job it cannot trust ends with status 2, names the file and writes nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "job/description.h"
#include "job/job_file.h"
#include "job_test_support.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace tessary::job::testing {
namespace {

using tessary::testing::ProgramRun;

// Hundreds of runs: under wine on a loaded machine a start now and then fails before the program runs
// (status -1 with nothing said); such a run is tried once more. A program that ran and failed is not.
ProgramRun prepare(std::vector<std::string> arguments) {
    ProgramRun run = tessary::testing::runProgram(TESSARY_PREPARE, arguments);
    if (run.status == -1 && run.out.empty() && run.err.empty())
        run = tessary::testing::runProgram(TESSARY_PREPARE, arguments);
    return run;
}

// Option sets taken in turn over the pictures: the defaults every other time.
const std::vector<std::vector<std::string>> kOptionSets = {
    {}, {"--conversion", "jarvis", "--gamma", "1.3", "--fill"},
    {}, {"--conversion", "halftone", "--cell", "5", "--angle", "30", "--invert", "--size", "200", "--mirror"},
    {}, {"--threshold", "100", "--auto-level", "--brightness", "20", "--contrast", "-10", "--sharpen", "40"},
};

TEST(PrepareJob, AJobGivesWhatItsOptionsGiveOnItsPicture) {
    tessary::testing::TempFolder folder;
    const auto dir = folder.path();
    std::vector<std::filesystem::path> pictures;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TESSARY_TESTDATA_DIR))
        if (entry.is_regular_file() && entry.path().extension() != ".md" &&
            entry.path().extension() != ".ppm")
            pictures.push_back(entry.path());
    std::sort(pictures.begin(), pictures.end());
    int accepted = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::string picture = pictures[i].string();
        const std::vector<std::string>& options = kOptionSets[i % kOptionSets.size()];
        const auto run = [&](std::vector<std::string> head, std::vector<std::string> tail) {
            head.insert(head.end(), tail.begin(), tail.end());
            return prepare(head);
        };
        const ProgramRun direct = run(options, {picture, (dir / "direct.bmp").string()});
        if (direct.status != 0) continue;
        ++accepted;
        const ProgramRun saved = run(options, {"--save-job", (dir / "job.tessary").string(), "--burn-time",
                                               "99", picture, (dir / "saved.bmp").string()});
        ASSERT_EQ(saved.status, 0) << picture << saved.err;
        const ProgramRun opened = prepare({(dir / "job.tessary").string(), (dir / "opened.bmp").string()});
        ASSERT_EQ(opened.status, 0) << picture << opened.err;
        EXPECT_EQ(opened.out, direct.out) << picture;
        const Bytes expected = fileBytes(dir / "direct.bmp");
        EXPECT_EQ(fileBytes(dir / "saved.bmp"), expected) << picture;
        EXPECT_EQ(fileBytes(dir / "opened.bmp"), expected) << picture;
        // The picture is kept as it was.
        const JobReading read = readJobFile((dir / "job.tessary").string());
        ASSERT_TRUE(read.job) << read.error;
        EXPECT_EQ(*std::get<PictureSource>(read.job->items[0].source).bytes, fileBytes(pictures[i]))
            << picture;
        EXPECT_EQ(read.job->burnTime, 99);
    }
    EXPECT_GT(accepted, 150);

    for (const auto& options : {std::vector<std::string>{}, kOptionSets[1]}) {
        std::vector<std::string> text = options;
        text.insert(text.end(), {"--text", "Anna\\n2026", "--italic"});
        std::vector<std::string> direct = text, saved = text;
        direct.push_back((dir / "direct.bmp").string());
        saved.insert(saved.end(),
                     {"--save-job", (dir / "text.tessary").string(), (dir / "saved.bmp").string()});
        ASSERT_EQ(prepare(direct).status, 0);
        ASSERT_EQ(prepare(saved).status, 0);
        ASSERT_EQ(prepare({(dir / "text.tessary").string(), (dir / "opened.bmp").string()}).status, 0);
        EXPECT_EQ(fileBytes(dir / "opened.bmp"), fileBytes(dir / "direct.bmp"));
    }
    // Known by its content, whatever its name.
    std::filesystem::rename(dir / "text.tessary", dir / "sign.png");
    EXPECT_EQ(prepare({(dir / "sign.png").string(), (dir / "renamed.bmp").string()}).status, 0);
    EXPECT_EQ(fileBytes(dir / "renamed.bmp"), fileBytes(dir / "direct.bmp"));
}

TEST(PrepareJob, RefusesABadJobWithStatusTwoAndWritesNothing) {
    tessary::testing::TempFolder folder;
    const auto dir = folder.path();
    const Bytes good = encodeJob(pictureJob(patternBmp(50, 50)));
    std::string description = describeJob(pictureJob(patternBmp(50, 50)), {"picture-1.bmp"});
    const auto changed = [&](std::string from, std::string to) {
        std::string d = description;
        d.replace(d.find(from), from.size(), to);
        return archiveOf(d, {{"picture-1.bmp", patternBmp(50, 50), false}});
    };
    struct Case {
        std::string what;
        Bytes job;
        std::vector<std::string> options;
        std::string why;
    };
    const Case cases[] = {
        {"truncated", Bytes(good.begin(), good.begin() + good.size() / 2), {}, "damaged or truncated"},
        {"later", changed("format = 1", "format = 7"), {}, "written by a later Tessary"},
        {"no picture", changed("picture-1.bmp", "picture-2.bmp"), {}, "names a picture it does not hold"},
        {"out of range", changed("burn_time = 60", "burn_time = 300"), {}, "burn_time takes"},
        {"refused picture",
         encodeJob(pictureJob(textBytes("GIF89a but no more"))),
         {},
         "the picture it holds is refused"},
        {"with options", good, {"--invert"}, "is a job: it brings its own options"},
    };
    for (const Case& c : cases) {
        const auto job = dir / ("bad " + c.what + ".tessary");
        writeFileBytes(job, c.job);
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {job.string(), (dir / "out.bmp").string()});
        const ProgramRun run = prepare(arguments);
        EXPECT_EQ(run.status, 2) << c.what;
        EXPECT_NE(run.err.find(job.string()), std::string::npos) << c.what << ": " << run.err;
        EXPECT_NE(run.err.find(c.why), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp")) << c.what;
    }
    EXPECT_EQ(prepare({"--passes", "2", TESSARY_TESTDATA_DIR "/png/basn0g01.png", (dir / "out.bmp").string()})
                  .status,
              2);
    EXPECT_EQ(prepare({"--copies", "1000", "--save-job", (dir / "j.tessary").string(),
                       TESSARY_TESTDATA_DIR "/png/basn0g01.png", (dir / "out.bmp").string()})
                  .status,
              2);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "j.tessary"));
}

}  // namespace
}  // namespace tessary::job::testing
