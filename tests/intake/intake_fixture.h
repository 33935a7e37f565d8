// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
// The console's real main window (offscreen Qt) with the shell's and the image area's real handlers,
// a run directory of its own, and a message box service that records.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/qt/qt_window_host.h"
#include "app/shell/shell_handlers.h"
#include "image/bitmap.h"
#include "image/files.h"
#include "image/picture.h"
#include "intake/handlers/intake_handlers.h"
#include "intake/image_state.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "support/test_services.h"

namespace tessary::intake::testing {

using Shown = tessary::testing::ShownMessage;
using tessary::testing::RecordingDialogs;

// The log without the lines that say why a file was not taken in.
inline std::string withoutRefusals(std::string log) {
    for (std::size_t at; (at = log.find("Not taken in: ")) != std::string::npos;)
        log.erase(at, log.find("\r\n\r\n", at) + 4 - at);
    return log;
}

// `count` boxes of a refused file: the usual text, then which file and why.
inline bool refusalBoxes(const std::vector<Shown>& shown, std::size_t count) {
    return shown.size() == count && std::all_of(shown.begin(), shown.end(), [](const Shown& s) {
               return s.text.starts_with("Wrong file type\n\n") && s.code == 0 && s.title == "Sorry ";
           });
}

inline image::Raster solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    image::Raster out(w, h);
    for (std::size_t i = 0; i < out.rgb.size(); i += 3) {
        out.rgb[i] = r;
        out.rgb[i + 1] = g;
        out.rgb[i + 2] = b;
    }
    return out;
}

inline image::Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return image::Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::filesystem::path& path, const image::Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

using ToolRun = tessary::testing::ProgramRun;

// tessary-prepare [options...] IN OUT, its exit status and what it printed.
inline ToolRun prepare(const std::filesystem::path&, const std::string& in, const std::string& out,
                       const std::vector<std::string>& options = {},
                       const std::string& program = TESSARY_PREPARE) {
    std::vector<std::string> arguments = options;
    arguments.push_back(in);
    arguments.push_back(out);
    return tessary::testing::runProgram(program, arguments);
}

class MainWindow : public ::testing::Test {
  protected:
    MainWindow() {
        EXPECT_FALSE(dir.empty());
        registerShellHandlers(handlers_);
        registerIntakeHandlers(handlers_);
        clock_.canTick = false;  // changes of the options apply at once
        console_ = std::make_unique<Console>(clock_, dialogs, host_, handlers_);
        console_->setRunDirectory(dir.string());
        EXPECT_TRUE(console_->createMainWindow(mainWindowDefinition()));
    }
    ~MainWindow() override {
        if (console_) console_->destroyMainWindow();
        console_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Console& console() { return *console_; }
    Window& main() { return console_->main(); }
    ImageState& state() { return console_->state<ImageState>(); }
    std::filesystem::path previewFile() const { return dir / image::kPreviewFileName; }
    std::string log() { return main().getText(main_window::kLog, prop::editbox::kContent); }

    std::string picture(const std::string& name, const image::Raster& pixels) {
        const auto path = dir / name;
        writeBytes(path, image::bmp24(pixels, false));
        return path.string();
    }
    void drop(const std::string& text) {
        EventArgs args;
        args.text = text;
        console_->dispatch(mainWindowDefinition(), main_window::kDropTarget, event::kFilesDropped, args);
    }
    void click(std::string_view unit) {
        console_->dispatch(mainWindowDefinition(), std::string(unit), event::kClick, {});
    }
    void closeMainWindow() { console_->destroyMainWindow(); }

    // The preview as the operator sees it: the BMP file's pixel (x, y) from the top-left; 0 black, 1 white.
    static image::Bitmap bitmapOf(const image::Bytes& bmp) {
        image::Bitmap b;
        b.载入数据(bmp);
        return b;
    }

    tessary::testing::TempFolder folder_{"tessary-intake"};
    std::filesystem::path dir = folder_.path();
    RecordingDialogs dialogs;

  private:
    tessary::testing::ScriptedClock clock_;
    qt::QtWindowHost host_;
    HandlerRegistry handlers_;
    std::unique_ptr<Console> console_;
};

}  // namespace tessary::intake::testing
