// SPDX-License-Identifier: GPL-3.0-or-later
// The job file: what is kept comes back exactly; a damaged, hostile or later file is refused whole with a
// sentence naming it; a failed save leaves the file that was there.
#include <gtest/gtest.h>

#include <algorithm>

#include "job/description.h"
#include "job/job_file.h"
#include "job_test_support.h"
#include "support/temp_folder.h"

namespace tessary::job::testing {
namespace {

Job everyValueSet() {
    Job job = pictureJob(patternBmp(40, 30), "Foto Übung.BMP");
    job.burnTime = 240;
    job.passes = 10;
    job.copies = 999;
    job.material = "Birch plywood, 3 mm \"B\"\\";
    JobItem& item = job.items[0];
    item.options.mode = image::Conversion::Halftone;
    item.options.threshold = 0;
    item.options.cell = 32;
    item.options.angle = 90;
    item.options.brightness = -100;
    item.options.contrast = 100;
    item.options.gamma = 20;
    item.options.sharpen = 100;
    item.options.invert = true;
    item.options.autoLevel = true;
    item.options.size = 490;
    item.options.fill = false;
    item.options.mirror = true;
    item.view = {3, -200, 0, "RIOOIR"};
    return job;
}

Job textJob() {
    Job job;
    render::TextStyle style;
    style.family = "DejaVu Serif";
    style.size = 490;
    style.fillWidth = true;
    style.bold = true;
    style.italic = true;
    style.alignment = render::TextAlignment::Right;
    job.items.push_back({intake::TypedText{"Anna & Tom\n\t\"2026\" \\ ✓  ", style}, {}, {}});
    job.items[0].options.mode = image::Conversion::Bayer;
    job.items[0].options.gamma = 500;
    return job;
}

std::string descriptionOf(const Job& job) { return describeJob(job, {"picture-1.bmp"}); }

TEST(JobFile, KeepsEveryValueAndThePicturesOwnBytes) {
    for (const Job& job : {everyValueSet(), textJob(), pictureJob(textBytes("not even a picture"))}) {
        const Bytes file = encodeJob(job);
        ASSERT_TRUE(looksLikeJob(file));
        const JobReading back = readJob(file, "kept.tessary");
        ASSERT_TRUE(back.job) << back.error;
        EXPECT_EQ(back.job->writtenBy.rfind("Tessary ", 0), 0u);
        EXPECT_EQ(descriptionOf(*back.job), descriptionOf([&] {
                      Job j = job;
                      j.writtenBy = back.job->writtenBy;
                      return j;
                  }()));
        if (const auto* picture = std::get_if<PictureSource>(&job.items[0].source)) {
            EXPECT_EQ(*std::get<PictureSource>(back.job->items[0].source).bytes, *picture->bytes);
        }
        // The same job gives the same file, and what was read gives it again.
        EXPECT_EQ(encodeJob(*back.job), file);
    }
}

TEST(JobFile, ReadsWhatOtherZipToolsMakeOfIt) {
    // Deflated description and picture, CRLF line ends, comments and blank lines, keys left at defaults.
    const Bytes picture = patternBmp(20, 20);
    const std::string description =
        "# made by hand\r\n[job]\r\nformat = 1\r\n\r\n[item 1]\r\n  kind = picture  \r\n; the photo\r\n"
        "file = \"p.bmp\"\r\nconversion = atkinson\r\n";
    const JobReading read = readJob(archiveOf(description, {{"p.bmp", picture, true}}, true), "hand.tessary");
    ASSERT_TRUE(read.job) << read.error;
    const JobItem& item = read.job->items[0];
    EXPECT_EQ(item.options.mode, image::Conversion::Atkinson);
    EXPECT_EQ(item.view, intake::ViewTrail{});
    EXPECT_EQ(read.job->burnTime, 60);
    EXPECT_EQ(*std::get<PictureSource>(item.source).bytes, picture);
}

// A job whose description has `from` replaced by `to` is refused with a sentence holding `why`.
struct DescriptionCase {
    std::string from, to, why;
};

TEST(JobFile, RefusesDescriptionsItCannotTrust) {
    const Job job = everyValueSet();
    const std::string good = descriptionOf(job);
    const Bytes picture = *std::get<PictureSource>(job.items[0].source).bytes;
    const DescriptionCase cases[] = {
        {"format = 1", "format = 2", "written by a later Tessary (job format 2; this one reads format 1)"},
        {"format = 1\n", "", "gives no format"},
        {"format = 1", "format = 0", "format takes a whole number"},
        {"burn_time = 240", "burn_time = 241", "burn_time takes a whole number from 1 to 240"},
        {"passes = 10", "passes = 0", "passes takes a whole number from 1 to 10"},
        {"copies = 999", "copies = 1000", "copies takes"},
        {"gamma = 0.20", "gamma = 5.01", "gamma takes a number from 0.20 to 5.00"},
        {"gamma = 0.20", "gamma = 1.234", "gamma takes"},
        {"threshold = 0", "threshold = 766", "threshold takes"},
        {"size = 490", "size = -1", "size takes"},
        {"conversion = halftone", "conversion = sepia", "names no conversion"},
        {"invert = yes", "invert = true", "takes yes or no"},
        {"quarter_turns = 3", "quarter_turns = 4", "quarter_turns takes"},
        {"zoom_steps = -200", "zoom_steps = -201", "zoom_steps takes"},
        {"clicks = \"RIOOIR\"", "clicks = \"RIX\"", "the letters R, I and O"},
        {"clicks = \"RIOOIR\"", "clicks = \"" + std::string(kMaxClicks + 1, 'I') + "\"", "the letters R, I"},
        {"passes = 10", "passes = 10\npasses = 9", "passes is given twice"},
        {"passes = 10", "passes = 10\nmirror = yes", "unknown key mirror (written by a later Tessary?)"},
        {"[item 1]", "[item 2]", "a section out of place or unknown"},
        {"fill = no", "fill = no\n\n[item 2]\nkind = picture", "more items than this Tessary can engrave"},
        {"[job]\n", "", "not a \"key = value\" line"},
        {"material = \"Birch", "material = Birch", "takes a text in double quotes"},
        {"material = \"Birch", "material = \"\xff\xfe", "not UTF-8"},
        {"material = \"Birch", "material = \"Birch\\q", "takes a text in double quotes"},
        {"material = \"Birch", "material = \"" + std::string(kMaxMaterialBytes, 'x'), "too long"},
        {"kind = picture", "kind = qr", "kind takes picture or text"},
        {"kind = picture\n", "", "without its kind"},
        {"file = \"picture-1.bmp\"", "file = \"picture-9.bmp\"", "names a picture it does not hold"},
        {"file = \"picture-1.bmp\"", "file = \"../../etc/passwd\"", "names a picture it does not hold"},
        {"kind = picture", "kind = picture\ntext = \"x\"", "gives a picture item the text key text"},
        {"[job]", std::string(kMaxDescriptionBytes, ';') + "\n[job]", "description is too large"},
    };
    for (const DescriptionCase& c : cases) {
        std::string description = good;
        const auto at = description.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        description.replace(at, c.from.size(), c.to);
        const JobReading read =
            readJob(archiveOf(description, {{"picture-1.bmp", picture, false}}), "bad.tessary");
        EXPECT_FALSE(read.job) << c.to;
        EXPECT_EQ(read.error.rfind("bad.tessary: ", 0), 0u) << read.error;
        EXPECT_NE(read.error.find(c.why), std::string::npos) << c.to << " gave: " << read.error;
    }
}

// Archives changed after they were written.
struct ArchiveCase {
    std::string what;
    std::function<Bytes(const Bytes& good, const std::string& description, const Bytes& picture)> make;
    std::string why;
};

void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::size_t centralEntry(const Bytes& b, int index) {
    std::size_t at = 0;
    for (int seen = -1; seen < index; ++at)
        if (b[at] == 'P' && b[at + 1] == 'K' && b[at + 2] == 1 && b[at + 3] == 2) ++seen;
    return at - 1;
}

TEST(JobFile, RefusesDamagedAndHostileArchivesWhole) {
    const Job job = pictureJob(patternBmp(64, 64));
    const std::string description = descriptionOf(job);
    const Bytes picture = *std::get<PictureSource>(job.items[0].source).bytes;
    const auto withPicture = [&](std::string name, Bytes data, bool deflate = false) {
        std::string d = description;
        d.replace(d.find("picture-1.bmp"), 13, name);
        return archiveOf(d, {{name, std::move(data), deflate}});
    };
    const ArchiveCase cases[] = {
        {"empty", [](auto&, auto&, auto&) { return Bytes(); }, "not a Tessary job"},
        {"a PNG", [](auto&, auto&, auto&) { return fileBytes(TESSARY_TESTDATA_DIR "/png/basn0g01.png"); },
         "not a Tessary job"},
        {"cut after its magic",
         [](const Bytes& g, auto&, auto&) { return Bytes(g.begin(), g.begin() + 100); },
         "damaged or truncated"},
        {"cut before its end record",
         [](const Bytes& g, auto&, auto&) { return Bytes(g.begin(), g.end() - 5); }, "damaged or truncated"},
        {"a picture byte changed",
         [](const Bytes& g, auto&, auto&) {
             Bytes b = g;
             b[b.size() / 2] ^= 0x40;
             return b;
         },
         "it is damaged"},
        {"without its media type first",
         [](auto&, const std::string& d, const Bytes& p) {
             return writeArchive({{"job.ini", textBytes(d), false}, {"picture-1.bmp", p, false}});
         },
         "not a Tessary job"},
        {"a file it does not name",
         [](auto&, const std::string& d, const Bytes& p) {
             return archiveOf(d, {{"picture-1.bmp", p, false}, {"extra.exe", p, false}});
         },
         "a file its description does not name: extra.exe"},
        {"the picture twice",
         [](auto&, const std::string& d, const Bytes& p) {
             return archiveOf(d, {{"picture-1.bmp", p, false}, {"picture-1.bmp", p, false}});
         },
         "twice"},
        {"a path up", [&](auto&, auto&, auto&) { return withPicture("../picture.bmp", picture); },
         "not a plain file name"},
        {"an absolute path", [&](auto&, auto&, auto&) { return withPicture("/tmp/picture.bmp", picture); },
         "not a plain file name"},
        {"a drive", [&](auto&, auto&, auto&) { return withPicture("C:picture.bmp", picture); },
         "not a plain file name"},
        {"a folder", [&](auto&, auto&, auto&) { return withPicture("pictures\\p.bmp", picture); },
         "not a plain file name"},
        {"a hidden name", [&](auto&, auto&, auto&) { return withPicture(".p.bmp", picture); },
         "not a plain file name"},
        {"encrypted",
         [](const Bytes& g, auto&, auto&) {
             Bytes b = g;
             b[centralEntry(b, 2) + 8] |= 1;
             return b;
         },
         "encrypted"},
        {"packed by another method",
         [](const Bytes& g, auto&, auto&) {
             Bytes b = g;
             b[centralEntry(b, 2) + 10] = 12;
             return b;
         },
         "a method other than stored or deflated"},
        {"a size beyond the file",
         [](const Bytes& g, auto&, auto&) {
             Bytes b = g;
             setU32(b, centralEntry(b, 2) + 20, 0x7FFFFFF0);
             setU32(b, centralEntry(b, 2) + 24, 0x7FFFFFF0);
             return b;
         },
         "too large"},
        {"an entry moved onto another",
         [](const Bytes& g, auto&, auto&) {
             Bytes b = g;
             setU32(b, centralEntry(b, 2) + 42, 0);
             return b;
         },
         "not where the directory says"},
        {"a deflated picture longer than it says",
         [&](auto&, auto&, auto&) {
             Bytes b = withPicture("p.bmp", Bytes(1 << 20, 0), true);
             setU32(b, centralEntry(b, 2) + 24, 1000);
             return b;
         },
         "does not unpack"},
    };
    for (const ArchiveCase& c : cases) {
        const JobReading read = readJob(c.make(encodeJob(job), description, picture), "bad.tessary");
        EXPECT_FALSE(read.job) << c.what;
        EXPECT_EQ(read.error.rfind("bad.tessary: ", 0), 0u) << c.what << ": " << read.error;
        EXPECT_NE(read.error.find(c.why), std::string::npos) << c.what << " gave: " << read.error;
    }
}

TEST(JobFile, RefusesAZipBombBeforeUnpackingIt) {
    Job job = pictureJob(Bytes(4u << 20, 0));
    const Bytes bomb = encodeJob(job);
    ASSERT_LT(bomb.size(), 10000u);
    EXPECT_TRUE(readJob(bomb, "bomb.tessary").job);
    EXPECT_EQ(readJob(bomb, "bomb.tessary", 1u << 20).error,
              "bomb.tessary: its files are too large when unpacked");
}

TEST(JobFile, AFailedSaveLeavesTheFileThatWasThere) {
    tessary::testing::TempFolder folder;
    const auto path = folder.path() / "tag.tessary";
    const Job job = pictureJob(patternBmp(10, 10));
    ASSERT_EQ(writeJobFile(path.string(), job), "");
    const Bytes kept = fileBytes(path);
    EXPECT_EQ(readJobFile(path.string()).error, "");

    Job unfit = job;
    unfit.burnTime = 0;
    EXPECT_NE(writeJobFile(path.string(), unfit).find("tag.tessary: not saved"), std::string::npos);
    std::filesystem::create_directory(folder.path() / "folder.tessary");
    EXPECT_NE(writeJobFile((folder.path() / "folder.tessary").string(), job).find("cannot be written"),
              std::string::npos);
    EXPECT_EQ(fileBytes(path), kept);
    // Nothing but the job was left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
    EXPECT_NE(readJobFile((folder.path() / "none.tessary").string()).error.find("none.tessary: "),
              std::string::npos);
}

}  // namespace
}  // namespace tessary::job::testing
