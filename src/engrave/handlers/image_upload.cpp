// SPDX-License-Identifier: GPL-3.0-or-later
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/definitions/unit_names.h"
#include "app/model/delivery_hold.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "engrave/handlers/engrave_handlers.h"
#include "engrave/handlers/job_display.h"
#include "engrave/handlers/job_guard.h"
#include "engrave/handlers/machine_port.h"
#include "engrave/log_texts.h"
#include "engrave/protocol.h"
#include "image/canvas.h"
#include "image/files.h"
#include "image/picture.h"
#include "intake/image_state.h"
#include "intake/main_window_panels.h"

namespace tessary::engrave {
namespace {

std::string sentText(std::size_t sent, std::size_t total) {
    return "Sending image: " + std::to_string(sent) + " of " + std::to_string(total) + " bytes";
}

// The erase burst, the pause and the image; false as soon as a write fails. The window keeps painting and
// shows the progress.
bool eraseAndSend(Console& console, const image::Bytes& imageData) {
    Window& main = console.main();
    const MessageSpec& erase = specOf(Message::EraseLastImage);
    console.appendLog(kLogErasingLastImage);
    if (!sendEach(console, erase.bytes)) return false;
    main.showProgress(main_window::kPreviewGroup, {"Erasing the last image: ", 0, 0, erase.pause});
    console.clock().sleep(erase.pause);
    console.appendLog(kLogSendingNewImage);
    link::SerialPort* port = machinePort(console);
    if (!port) return false;
    main.showProgress(main_window::kPreviewGroup,
                      {sentText(0, imageData.size()), 0, static_cast<std::int64_t>(imageData.size())});
    // An empty image has no bytes to write: that is no upload.
    if (imageData.empty()) return false;
    return port->SendData(link::SendValue(imageData), [&main](std::size_t sent, std::size_t total) {
        main.showProgress(main_window::kPreviewGroup, {sentText(sent, total), static_cast<std::int64_t>(sent),
                                                       static_cast<std::int64_t>(total)});
    });
}

}  // namespace

void onUploadImage(Console& console, const EventArgs&) {
    Window& main = console.main();
    const std::optional<image::Raster> preview =
        image::LoadPicture(image::previewFilePath(console.runDirectory()));
    if (preview) redrawCanvas(console, *preview);
    intake::drawRulers(main);

    // A preview file left from an earlier run does not make a picture: the engraving bitmap must hold one.
    const image::位图& engraving = console.state<intake::ImageState>().engraving;
    if (!preview || engraving.empty()) {
        console.dialogs().messageBox(kNoPictureText, 0, kNoPictureTitle);
        intake::drawRulers(main);
        return;
    }

    console.appendLog(kLogPleaseWait);
    // Received bytes, and the news of a vanished machine, wait until the upload and its failure box are over.
    DeliveryHold hold;
    jobProgress(console).imageErased();
    forgetJobBar(console);
    previewIsSentImage(console);
    const image::Bytes imageData = engraving.ToByteSet();
    const bool sent = eraseAndSend(console, imageData);
    main.showProgress(main_window::kPreviewGroup, {});
    if (sent) {
        if (auto order = CarvingOrder::fromWireImage(imageData))
            jobProgress(console).imageSent(std::move(*order));
        console.appendLog(kLogSendingCompleted);
        shell::applyConnectedState(console);
        for (std::string_view unit :
             {main_window::kFastBackward, main_window::kFastForward, main_window::kRecarve})
            main.set(unit, prop::kDisabled, std::int32_t{1});
    } else {
        console.appendLog(kLogSendingFailed);
        console.dialogs().messageBox(kNotSentText, 0, kNotSentTitle);
    }
    intake::drawRulers(main);
}

}  // namespace tessary::engrave
