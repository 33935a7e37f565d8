// SPDX-License-Identifier: GPL-3.0-or-later
#include <array>
#include <cstdint>
#include <string>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "engrave/handlers/engrave_handlers.h"
#include "engrave/handlers/job_display.h"
#include "engrave/handlers/job_guard.h"
#include "engrave/handlers/machine_port.h"
#include "engrave/jog_keys.h"
#include "engrave/log_texts.h"
#include "engrave/protocol.h"
#include "engrave/step_pulse.h"
#include "image/picture.h"
#include "intake/image_state.h"

namespace tessary::engrave {
namespace {

// Bytes, then the log line, then the pause. A command that did not go out says so and has no other effect:
// the log must not claim what the machine never heard. False then.
bool command(Console& console, Message message) {
    const MessageSpec& spec = specOf(message);
    if (!sendEach(console, spec.bytes)) {
        console.appendLog(kLogNotSent);
        return false;
    }
    if (!spec.logLine.empty()) console.appendLog(spec.logLine);
    if (spec.pause.count() > 0) console.clock().sleep(spec.pause);
    return true;
}

void setEnabled(Console& console, std::string_view unit, bool enabled) {
    console.main().set(unit, prop::kDisabled, std::int32_t{enabled ? 0 : 1});
}

// A run that counts from nothing shows its own marks only: the picture as prepared (the image the machine
// has) is drawn again over those of an earlier run.
void freshCanvas(Console& console) {
    const image::位图& engraving = console.state<intake::ImageState>().engraving;
    if (engraving.empty()) return;
    if (const auto picture = image::LoadPicture(engraving.Mirror(false, true).ToByteSet()))
        redrawCanvas(console, *picture);
}

}  // namespace

void onStart(Console& console, const EventArgs&) {
    if (!command(console, Message::StartCarving)) return;
    guardJob(console);
    if (jobProgress(console).start(console.clock().now())) freshCanvas(console);
    showJobProgress(console);
    for (std::string_view unit :
         {main_window::kFastBackward, main_window::kFastForward, main_window::kRecarve})
        setEnabled(console, unit, true);
    for (std::string_view unit :
         {main_window::kToLowerLeft, main_window::kFrameCarvingArea, main_window::kToMiddle})
        setEnabled(console, unit, false);
}

void onRestart(Console& console, const EventArgs&) {
    if (!command(console, Message::Restart)) return;
    jobProgress(console).restart();
    showJobProgress(console);
    shell::applyConnectedState(console);
}

void onPause(Console& console, const EventArgs&) {
    if (!command(console, Message::Pause)) return;
    jobProgress(console).pause(console.clock().now());
    showJobProgress(console);
}

void onRecarve(Console& console, const EventArgs&) {
    if (!command(console, Message::Recarve)) return;
    if (jobProgress(console).recarve(console.clock().now())) freshCanvas(console);
    showJobProgress(console);
}
void onFrameCarvingArea(Console& console, const EventArgs&) { command(console, Message::FrameCarvingArea); }
void onFastBackward(Console& console, const EventArgs&) {
    if (command(console, Message::FastBackward)) jobProgress(console).skip();
}
void onFastForward(Console& console, const EventArgs&) {
    if (command(console, Message::FastForward)) jobProgress(console).skip();
}
void onToMiddle(Console& console, const EventArgs&) { command(console, Message::MiddleOfImage); }
void onToLowerLeft(Console& console, const EventArgs&) { command(console, Message::LowerLeftCorner); }
void onJogUp(Console& console, const EventArgs&) { command(console, Message::JogUp); }
void onJogDown(Console& console, const EventArgs&) { command(console, Message::JogDown); }
void onJogLeft(Console& console, const EventArgs&) { command(console, Message::JogLeft); }
void onJogRight(Console& console, const EventArgs&) { command(console, Message::JogRight); }

void onArrowKey(Console& console, const EventArgs& args) {
    if (const auto jog = jogForKey(args.a)) command(console, *jog);
}

void onBurningTimeShown(Console& console, const EventArgs&) {
    Window& main = console.main();
    main.set(main_window::kBurningTimeLabel, prop::label::kCaption,
             burningTimeCaption(main.getInt(main_window::kBurningTime, prop::slider::kPosition)));
}

void onBurningTimeSent(Console& console, const EventArgs&) {
    const int position = console.main().getInt(main_window::kBurningTime, prop::slider::kPosition);
    const std::array<std::uint8_t, 1> byte{burningTimeByte(position)};
    console.appendLog(sendEach(console, byte) ? burningTimeLogLine(position) : std::string(kLogNotSent));
}

void onSaveStepPulse(Console& console, const EventArgs&) {
    Window* setting = console.setting();
    if (!setting) return;
    const std::array<std::uint8_t, 2> bytes{
        kStepPulseByte, stepPulseByte(setting->getText(setting_window::kStepPulse, prop::editbox::kContent))};
    if (!sendEach(console, bytes)) {
        console.appendLog(kLogNotSent);
        return;
    }
    console.dialogs().messageBox(kStepPulseSavedText, 0, kStepPulseSavedTitle);
}

}  // namespace tessary::engrave
