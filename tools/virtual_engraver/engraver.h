// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engraver's main loop: reads the console's bytes from the pty master, prints what they mean,
// saves received images and writes position reports back at the chosen pace.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "virtual_engraver/command_stream.h"
#include "virtual_engraver/machine.h"
#include "virtual_engraver/options.h"

namespace tessary::virtual_engraver {

class Engraver {
  public:
    Engraver(const Options& options, int master, std::string outDir, std::FILE* log);

    /// Runs until `stopFd` becomes readable.
    void run(int stopFd);
    /// Prints one log line, with the time since start.
    void say(const std::string& line);

  private:
    using Clock = std::chrono::steady_clock;

    Millis millis(Clock::time_point t) const;
    void readInput(Clock::time_point now);
    // Bytes the line has carried since the last read, when it has a rate; SIZE_MAX without one.
    std::size_t readAllowance(Clock::time_point now);
    // When the line will have carried enough bytes to be worth a read.
    Clock::time_point nextReadDue(Clock::time_point now);
    void handle(Received received);
    void produceReports(Clock::time_point now);
    void writeOutput();
    void checkLine();
    void lineClosed();
    std::string saveImage(const WireImage& image);
    std::string saveBurn();

    Options options_;
    int master_;
    std::string outDir_;
    std::FILE* log_;
    Clock::time_point started_ = Clock::now();
    CommandStream stream_;
    Machine machine_;
    bool lineUp_ = false;
    bool wasMoving_ = false;
    Clock::time_point nextReport_{};
    std::vector<std::uint8_t> pending_;
    std::size_t droppedReports_ = 0;
    double lineCredit_ = 0;  // bytes the line has carried and the engraver not yet read
    Clock::time_point creditAt_ = Clock::now();
    int imageNumber_ = 0;  // of the last image saved, which the burn sheet goes with
};

}  // namespace tessary::virtual_engraver
