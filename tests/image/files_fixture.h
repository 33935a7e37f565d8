// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder of the test's own for the file services' tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "image/files.h"
#include "support/temp_folder.h"

namespace tessary::image {

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static Bytes contents(const std::string& p) {
        std::ifstream in(std::filesystem::path(p), std::ios::binary);
        return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const std::string& p, const Bytes& bytes) {
        std::ofstream(std::filesystem::path(p), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    tessary::testing::TempFolder folder_{"tessary-files"};
    std::filesystem::path dir_ = folder_.path();
};

}  // namespace tessary::image
