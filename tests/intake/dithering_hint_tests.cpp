// SPDX-License-Identifier: GPL-3.0-or-later
// The hint over the preview that offers dithering for a photo taken in with the plain threshold: once a
// run, never for line art, and nothing of the output changes until its button is clicked.
#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/definitions/unit_names.h"
#include "app/qt/qt_unit.h"
#include "intake/photo_measure.h"
#include "intake_fixture.h"

namespace tessary::intake::testing {
namespace {

const std::string kData = TESSARY_TESTDATA_DIR;

// Black strokes on white with antialiased (grey) edges: a drawing as a scanner or a renderer gives it.
image::Raster lineDrawing() {
    image::Raster out = solid(400, 300, 255, 255, 255);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const int d = std::min({x % 40, y % 30, (x + y) % 57});
            const std::uint8_t v = d == 0 ? 0 : d == 1 ? 96 : d == 2 ? 192 : 255;
            std::uint8_t* p = out.at(x, y);
            p[0] = p[1] = p[2] = v;
        }
    }
    return out;
}

// Every grey level, in even shares: the most mid-tones a picture can have without being a photo's subject.
image::Raster ramp() {
    image::Raster out(256, 64);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y)[0] = out.at(x, y)[1] = out.at(x, y)[2] = x;
    return out;
}

class DitheringHint : public MainWindow {
  protected:
    QFrame* notice() {
        auto* group = dynamic_cast<qt::QtUnit*>(main().find(main_window::kPreviewGroup));
        return group ? group->widget()->findChild<QFrame*>("notice") : nullptr;
    }
    bool noticeShown() { return notice() && notice()->isVisible(); }
};

TEST_F(DitheringHint, PhotosLookLikePhotosAndDrawingsDoNot) {
    struct Case {
        const char* name;
        std::string file;
        bool photo;
    };
    const Case cases[] = {
        {"camera photo", kData + "/bmp/oregon_DSC_0307_small.bmp", true},
        {"bird photo", kData + "/bmp/shira_bird8.bmp", true},
        {"jpeg landscape", kData + "/jpeg/Landscape_1.jpg", true},
        {"line drawing", picture("lines.bmp", lineDrawing()), false},
        {"mid-grey", picture("grey.bmp", solid(300, 300, 128, 128, 128)), false},
        {"two-colour logo", picture("logo.bmp", solid(200, 100, 200, 20, 20)), false},
        {"grey ramp", picture("ramp.bmp", ramp()), true},
    };
    for (const Case& c : cases) {
        drop(c.file);
        ASSERT_FALSE(state().picture.empty()) << c.name;
        EXPECT_EQ(looksLikePhoto(state().picture), c.photo) << c.name;
    }
}

TEST_F(DitheringHint, OfferedOnceForAPhotoAndItsButtonSwitchesToDithering) {
    const std::string photo = kData + "/bmp/oregon_DSC_0307_small.bmp";
    drop(picture("lines.bmp", lineDrawing()));
    EXPECT_FALSE(noticeShown()) << "line art";

    drop(photo);
    ASSERT_TRUE(noticeShown());
    EXPECT_EQ(notice()->findChild<QLabel*>()->text().toStdString(), kDitheringHint);
    const image::Bytes thresholdPreview = readFile(previewFile());
    const std::string thresholdLog = log();
    EXPECT_EQ(thresholdLog.find("photo"), std::string::npos) << "the hint is no log line";

    console().dispatch(mainWindowDefinition(), main_window::kPreview, event::kMenuItem,
                       {});  // Picture options
    QPushButton* use = nullptr;
    for (auto* b : notice()->findChildren<QPushButton*>())
        if (b->text().toStdString() == kDitheringAction) use = b;
    ASSERT_NE(use, nullptr);
    use->click();
    EXPECT_FALSE(noticeShown());
    EXPECT_EQ(state().options.mode, image::Conversion::FloydSteinberg);
    EXPECT_NE(readFile(previewFile()), thresholdPreview) << "redrawn";
    EXPECT_NE(log().find("Conversion: ", thresholdLog.size()), std::string::npos);
    auto* options = dynamic_cast<qt::QtUnit*>(
        console().window(pictureOptionsWindowDefinition().name)->find(picture_options_window::kConversion));
    EXPECT_EQ(qobject_cast<QComboBox*>(options->widget())->currentIndex(),
              static_cast<int>(image::Conversion::FloydSteinberg));

    // Back to the plain threshold: the same photo gives the same bytes and lines, and no second hint.
    console().dispatch(pictureOptionsWindowDefinition(), picture_options_window::kDefaults, event::kClick,
                       {});
    main().set(main_window::kLog, prop::editbox::kContent, std::string());
    drop(photo);
    EXPECT_FALSE(noticeShown()) << "once a run";
    EXPECT_EQ(readFile(previewFile()), thresholdPreview);
    EXPECT_EQ(log(), thresholdLog.substr(thresholdLog.rfind("Original image information")));
}

}  // namespace
}  // namespace tessary::intake::testing
