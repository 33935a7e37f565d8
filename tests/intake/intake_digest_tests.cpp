// SPDX-License-Identifier: GPL-3.0-or-later
// With default options every test picture gives the very preview file bytes listed in default_digests.txt.
#include <tiffio.h>

#include <QCryptographicHash>
#include <fstream>
#include <sstream>

#include "intake/headless.h"
#include "intake_fixture.h"

namespace tessary::intake::testing {
namespace {

using DigestTest = MainWindow;

TEST_F(DigestTest, DefaultOptionsKeepThePreviewFileOfEveryTestPicture) {
    std::ifstream table(TESSARY_DEFAULT_DIGESTS);
    ASSERT_TRUE(table) << TESSARY_DEFAULT_DIGESTS;
    int checked = 0;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string digest, name, codec;
        fields >> digest >> name >> codec;
        SCOPED_TRACE(name);
        const auto out = dir / "out.bmp";
        ImageState state;
        Headless around(out.string(), true);
        const IntakeResult result = takeIn(state, around, std::string(TESSARY_TESTDATA_DIR) + "/" + name);
        const bool decodable =
            codec.empty() || TIFFIsCODECConfigured(codec == "lzma" ? COMPRESSION_LZMA : COMPRESSION_WEBP);
        ASSERT_EQ(result, decodable ? IntakeResult::Prepared : IntakeResult::Refused);
        if (!decodable) continue;
        const image::Bytes bytes = readFile(out);
        const QByteArray sha = QCryptographicHash::hash(
            QByteArrayView(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
            QCryptographicHash::Sha256);
        EXPECT_EQ(sha.toHex().toStdString(), digest);
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace tessary::intake::testing
