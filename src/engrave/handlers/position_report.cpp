#include <cstdint>

#include "engrave/handlers/engrave_handlers.h"
#include "engrave/report_decoder.h"

namespace tessary::engrave {
namespace {

constexpr std::string_view kCanvas = "画板1";
constexpr std::uint32_t kReportColour = 0x000000FF;  // red, as 0x00BBGGRR

// The decoder lives from start-up to exit; nothing but the sync byte resets it.
struct ReportState {
    ReportDecoder decoder;
};

}  // namespace

void onPositionReport(Console& console, const EventArgs& args) {
    const auto position = console.state<ReportState>().decoder.feed(static_cast<std::uint8_t>(args.a));
    if (!position || !onSurface(*position)) return;
    console.main().drawPanel(kCanvas).plotMark(position->x, position->y, kReportColour);
}

}  // namespace tessary::engrave
