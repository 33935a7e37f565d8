// tessary-prepare runs the console's intake: the same preview file, the same log lines, the same refusal.
#include "image/handlers/intake.h"
#include "intake_fixture.h"

namespace tessary::intake::testing {
namespace {

using PrepareTest = MainWindow;

TEST_F(PrepareTest, WritesTheConsolesPreviewFileAndPrintsItsLogLines) {
    // The console's canvas takes the palette's button face when the window is made, which differs between
    // platforms; the tool has the visual style's.
    main().set("画板1", prop::drawpanel::kBackColour, static_cast<std::int32_t>(kButtonFace));
    ASSERT_EQ(main().drawPanel("画板1").background(), kButtonFace);
    image::Raster photo(1200, 800);
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            std::uint8_t* p = photo.at(x, y);
            p[0] = static_cast<std::uint8_t>((x * x / 97 + y) % 256);
            p[1] = static_cast<std::uint8_t>((x + y * y / 53) % 256);
            p[2] = static_cast<std::uint8_t>((x * y / 211) % 256);
        }
    const std::string in = picture("photo.bmp", photo);
    drop(in);
    const auto out = dir / "prepared.bmp";
    const ToolRun run = prepare(dir, in, out.string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(out), readFile(previewFile()));
    EXPECT_EQ(run.out,
              "Original image information:\nImage resolution:1200*800\n"
              "Image is too large,It has been adjusted to the optimal resolution\n"
              "Image has been converted to black and white\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(PrepareTest, RefusedPictureFailsAndLeavesOutAlone) {
    writeBytes(dir / "notes.jpg", image::Bytes(100, 'x'));
    const auto out = dir / "kept.bmp";
    writeBytes(out, image::Bytes{1, 2, 3});
    const ToolRun refused = prepare(dir, (dir / "notes.jpg").string(), out.string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Wrong file type\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(readFile(out), (image::Bytes{1, 2, 3}));

    const ToolRun unwritable =
        prepare(dir, picture("p.bmp", solid(8, 8, 0, 0, 0)), (dir / "no" / "such.bmp").string());
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("Wrong file type\n"), std::string::npos);
    EXPECT_EQ(prepare(dir, "only-one", "").status, 2);
}

}  // namespace
}  // namespace tessary::intake::testing
