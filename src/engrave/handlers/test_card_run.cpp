// SPDX-License-Identifier: GPL-3.0-or-later
// The test card, one cell at a time: the cell's image uploaded as Send Image To Machine uploads it, its burn
// time sent as a release of the slider sends it, Start as the button sends it; the next cell once the
// machine's reports reached the cell's last black dot.
#include <charconv>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "engrave/handlers/engrave_handlers.h"
#include "engrave/handlers/job_display.h"
#include "image/files.h"
#include "intake/image_state.h"
#include "intake/test_card.h"

namespace tessary::engrave {
namespace {

namespace tc = test_card_window;

constexpr auto kLook = std::chrono::milliseconds(100);

struct CardRun {
    intake::TestCardRequest request;
    std::optional<intake::TestCardLayout> layout;
    std::size_t next = 0;    // the first cell not finished
    bool running = false;    // a cell burns or the next one is due
    bool burning = false;    // the cell `next` was started and its reports are awaited
    bool stopAsked = false;  // Stop: the card ends after the cell in progress
    std::unique_ptr<Ticker> look;
};

Window* cardWindow(Console& console) { return console.window(testCardWindowDefinition().name); }

std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string cellText(const CardRun& run) {
    return "Test card: cell " + std::to_string(run.next + 1) + " of " +
           std::to_string(run.layout->cells.size()) + " (burn time " +
           std::to_string(run.layout->cells[run.next].burnTime) + ")";
}

std::string burntText(const CardRun& run) {
    if (run.next == 0) return "no cell burnt";
    return run.next == 1 ? "cell 1 burnt" : "cells 1 to " + std::to_string(run.next) + " burnt";
}

void say(Console& console, const std::string& text) {
    if (Window* w = cardWindow(console)) w->set(tc::kStatus, prop::label::kCaption, text);
}

void endCard(Console& console, CardRun& run, const std::string& why) {
    run.running = run.burning = run.stopAsked = false;
    setJobHeading(console, {});
    jobRepeats(console).ended();
    say(console, why);
    showJobProgress(console);
}

// Upload, burn time, Start, each through its own handler; false (and the card stopped) when one did not
// reach the machine.
void burnCell(Console& console, CardRun& run) {
    const intake::TestCardCell& cell = run.layout->cells[run.next];
    auto& image = console.state<intake::ImageState>();
    // The preview shows the whole card; the machine gets only this cell.
    const image::Bytes card = intake::testCardEngraving(*run.layout).ToByteSet();
    image::writeFile(image::previewFilePath(console.runDirectory()), {std::span<const std::uint8_t>(card)},
                     &image.previewWritten);
    image.engraving = intake::testCardUpload(*run.layout, run.next);
    setJobHeading(console, cellText(run));
    say(console, cellText(run));
    onUploadImage(console, {});
    if (jobProgress(console).total() == 0) {
        endCard(console, run,
                "Test card stopped: the image of cell " + std::to_string(run.next + 1) + " was not sent; " +
                    burntText(run) + ".");
        return;
    }
    Window& main = console.main();
    main.set(main_window::kBurningTime, prop::slider::kPosition, std::int32_t{cell.burnTime});
    onBurningTimeShown(console, {});
    onBurningTimeSent(console, {});
    onStart(console, {});
    if (jobProgress(console).state() != JobProgress::State::Running) {
        endCard(console, run, "Test card stopped: the machine did not take Start; " + burntText(run) + ".");
        return;
    }
    run.burning = true;
    showJobProgress(console);
}

void look(Console& console) {
    if (!console.hasMainWindow()) return;
    CardRun& run = console.state<CardRun>();
    if (!run.running) return;
    if (run.burning) {
        if (jobProgress(console).silent())
            endCard(console, run,
                    "Test card stopped: no reports from the machine (switched off, or old firmware?); " +
                        burntText(run) + ". Run goes on from cell " + std::to_string(run.next + 1) + ".");
        return;
    }
    if (run.stopAsked || run.next >= run.layout->cells.size()) {
        endCard(console, run,
                run.next >= run.layout->cells.size()
                    ? "Test card finished: " + burntText(run) + "."
                    : "Test card stopped: " + burntText(run) + ". Run goes on from cell " +
                          std::to_string(run.next + 1) + ".");
        return;
    }
    burnCell(console, run);
}

}  // namespace

bool testCardCellFinished(Console& console) {
    CardRun& run = console.state<CardRun>();
    if (!run.running || !run.burning) return false;
    run.burning = false;
    ++run.next;
    jobRepeats(console).ended();
    if (run.next >= run.layout->cells.size() && jobRepeats(console).counts().notify)
        console.dialogs().askForAttention(console.main());
    // A clock that cannot tick: the next cell follows at once.
    if (!run.look) look(console);
    return true;
}

void testCardInterrupted(Console& console, std::string_view why) {
    CardRun& run = console.state<CardRun>();
    if (!run.running) return;
    endCard(console, run,
            "Test card stopped: " + std::string(why) + "; " + burntText(run) + ". Run goes on from cell " +
                std::to_string(run.next + 1) + ".");
}

void onOpenTestCard(Console& console, const EventArgs&) { console.openWindow(testCardWindowDefinition()); }

void onFillTestCard(Console& console, const EventArgs&) {
    Window* w = cardWindow(console);
    const CardRun& run = console.state<CardRun>();
    if (!w || !run.layout) return;
    w->set(tc::kFrom, prop::editbox::kContent, std::to_string(run.request.from));
    w->set(tc::kTo, prop::editbox::kContent, std::to_string(run.request.to));
    w->set(tc::kCount, prop::editbox::kContent, std::to_string(run.request.count));
    w->set(tc::kCellSize, prop::editbox::kContent, std::to_string(run.request.cellSize));
    w->set(tc::kStatus, prop::label::kCaption, run.running ? cellText(run) : "");
}

void onRunTestCard(Console& console, const EventArgs&) {
    Window* w = cardWindow(console);
    CardRun& run = console.state<CardRun>();
    if (!w || run.running) return;
    intake::TestCardRequest request;
    request.from = number(w->getText(tc::kFrom, prop::editbox::kContent)).value_or(0);
    request.to = number(w->getText(tc::kTo, prop::editbox::kContent)).value_or(0);
    request.count = number(w->getText(tc::kCount, prop::editbox::kContent)).value_or(0);
    request.cellSize = number(w->getText(tc::kCellSize, prop::editbox::kContent)).value_or(0);
    const auto laidOut = intake::layOutTestCard(request);
    if (const auto* refusal = std::get_if<std::string>(&laidOut)) {
        say(console, "Not run: " + *refusal + ".");
        return;
    }
    // Another card, or one burnt to its end, begins at its first cell.
    if (!run.layout || !(request == run.request) || run.next >= run.layout->cells.size()) run.next = 0;
    run.request = request;
    run.layout = std::get<intake::TestCardLayout>(laidOut);
    run.running = true;
    run.stopAsked = false;
    if (!run.look) run.look = console.clock().every(kLook, [&console] { look(console); });
    look(console);
}

void onStopTestCard(Console& console, const EventArgs&) {
    CardRun& run = console.state<CardRun>();
    if (!run.running) return;
    run.stopAsked = true;
    say(console, "Stopping after cell " + std::to_string(run.next + 1) + "…");
}

void onCloseTestCard(Console& console, const EventArgs&) {
    if (Window* w = cardWindow(console)) console.closeWindow(*w);
}

}  // namespace tessary::engrave
