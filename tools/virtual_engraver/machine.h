// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the virtual engraver does with the commands: it carves the image's black pixels row by row,
// moves its head on the jog and positioning commands, and traces the carving area. Every position the
// head reaches is reported back to the console.
#include <deque>
#include <optional>
#include <string>

#include "engrave/protocol.h"
#include "engrave/report_decoder.h"
#include "virtual_engraver/wire_image.h"

namespace tessary::virtual_engraver {

using engrave::Point;

class Machine {
  public:
    enum class Walk { Stopped, Carving, Paused, Finished };

    static constexpr int kSkipRows = 15;
    // The head travels over the console's drawing surface.
    static constexpr int kTravelWidth = engrave::kSurfaceWidth;
    static constexpr int kTravelHeight = engrave::kSurfaceHeight;
    static constexpr Point kLowerLeft{0, kTravelHeight - 1};
    static constexpr Point kMiddle{kTravelWidth / 2, kTravelHeight / 2};

    explicit Machine(int jogStep) : jogStep_(jogStep) {}

    /// Carries out a command and says what it did, for the log.
    std::string apply(engrave::Message message);
    std::string erase();
    std::string load(WireImage image);

    /// The next position the head reports, when it is moving.
    std::optional<Point> next();
    bool moving() const { return !motions_.empty() || walk_ == Walk::Carving; }
    /// Said once when a carving pass has run out of pixels.
    std::optional<std::string> takeNote();

    Walk walk() const { return walk_; }
    Point head() const { return head_; }
    int row() const { return row_; }
    /// What the carving passes burnt since the image came (the image's layout, burnt pixels black).
    const std::optional<WireImage>& burnt() const { return burnt_; }

  private:
    std::string start();
    std::string pause();
    std::string restart();
    std::string recarve();
    std::string skip(int rows);
    std::string moveTo(Point target);
    std::string frame();
    std::string rowText() const;

    int jogStep_;
    std::optional<WireImage> image_;
    std::optional<WireImage> burnt_;
    int blackPixels_ = 0;
    Walk walk_ = Walk::Stopped;
    int row_ = 0;
    int column_ = 0;
    int reported_ = 0;
    Point head_{0, 0};
    std::deque<Point> motions_;
    std::optional<std::string> note_;
};

}  // namespace tessary::virtual_engraver
