// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/options.h"

#include <charconv>
#include <cmath>

namespace tessary::virtual_engraver {
namespace {

template <typename T>
bool number(const std::string& text, T min, T max, T& value) {
    T parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || !(parsed >= min && parsed <= max)) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args,
                                    const std::optional<std::string>& environmentPortDir,
                                    std::string& problem) {
    Options options;
    bool comGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                problem = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--fast") {
            options.fast = true;
        } else if (arg == "--keep-bmp") {
            options.keepBmp = true;
        } else if (arg == "--port-dir") {
            if (!value(options.portDir)) return std::nullopt;
            if (options.portDir.empty()) {
                problem = "--port-dir needs a directory";
                return std::nullopt;
            }
        } else if (arg == "--out") {
            if (!value(options.outDir)) return std::nullopt;
        } else if (arg == "--com") {
            if (!value(text)) return std::nullopt;
            if (!number(text, 1, 255, options.com)) {
                problem = "--com takes a number from 1 to 255";
                return std::nullopt;
            }
            comGiven = true;
        } else if (arg == "--pace") {
            if (!value(text)) return std::nullopt;
            if (!number(text, 0.1, 1e6, options.pace)) {
                problem = "--pace takes reports per second, 0.1 to 1000000";
                return std::nullopt;
            }
        } else if (arg == "--jog-step") {
            if (!value(text)) return std::nullopt;
            if (!number(text, 1, 509, options.jogStep)) {
                problem = "--jog-step takes pixels, 1 to 509";
                return std::nullopt;
            }
        } else if (arg == "--timeout") {
            if (!value(text)) return std::nullopt;
            if (!number(text, 10, 600000, options.timeoutMs)) {
                problem = "--timeout takes milliseconds, 10 to 600000";
                return std::nullopt;
            }
        } else if (arg == "--baud") {
            if (!value(text)) return std::nullopt;
            if (!number(text, 0, 4000000, options.baud) || (options.baud > 0 && options.baud < 300)) {
                problem = "--baud takes bits per second, 300 to 4000000, or 0 for no limit";
                return std::nullopt;
            }
        } else {
            problem = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (options.portDir.empty() && environmentPortDir && !environmentPortDir->empty()) {
        options.portDir = *environmentPortDir;
    }
    if (!comGiven && options.portDir.empty()) options.com = 1;
    return options;
}

std::string helpText() {
    return R"(Usage: tessary-virtual-engraver [OPTIONS]

Plays a laser engraver on a pseudo-terminal, so that the Tessary console can be
tried and tested without a machine. The pty's slave is linked as COMn in a port
directory; a console started with TESSARY_PORT_DIR set to that directory finds
it. Every message the console sends is printed on a line of its own.

It is a Linux program: it needs a pseudo-terminal. The Windows console running
under wine reaches it as a COM port of the wine prefix once that port is linked
to it, e.g. ln -sfn DIR/COM1 "$WINEPREFIX/dosdevices/com1" (with COM1 to COM255
named in HKLM\Software\Wine\Ports before wine starts, so that wine does not
link its COM ports to the machine's own serial ports again).

Options:
  --port-dir DIR  where to link the port (default: $TESSARY_PORT_DIR, else a new
                  temporary directory, printed at start and removed at exit
                  when nothing else is left in it)
  --com N         link as COMN, 1 to 255 (default 5; 1 in a directory of its
                  own, so the console's start-up scan finds it at once)
  --out DIR       where received images are saved (default: the port directory)
  --keep-bmp      also save each received file byte for byte as image-N.bmp
                  (a BMP viewer shows it upside down: that is the wire order)
  --pace N        position reports per second (default 500)
  --fast          send reports as fast as the console reads them (for tests)
  --jog-step N    pixels the head moves per jog command (default 10)
  --timeout MS    quiet time after which an unfinished message is given up:
                  an image cut short, FC or FA without its second byte
                  (default 1000)
  --baud N        read the console's bytes no faster than a line of N baud
                  carries them (N / 10 bytes a second: 57600 gives 5,760, as
                  the machine reads); 0, the default, reads them as they come
  --version       print the version
  --help          print this text

What the machine is assumed to do (beyond the bytes the console sends):
  - It reads the bytes as the console writes them: F1..F9, FB single-byte
    commands, FC 55 / FC AA / FC 77, FA n (motor step pulse), a lone byte 1..240
    (burning time), FE x8 (erase), and after an erase burst a 1-bit BMP file
    whose length its header declares. An image with a garbled header is dropped
    until the line is quiet for the time-out; one that stops short is dropped
    when the line is quiet for the time-out. Bytes after the declared length
    are read as commands again.
  - A received image replaces the last one and is saved as image-N.png, the
    right way up: the first row on the wire is the preview's top row. A 0 bit
    (colour 0, black) is burnt. When a carving pass finishes, the pixels burnt
    since that image came are saved as burn-N.png beside it (black: burnt).
  - The head travels over the console's 510 x 510 drawing surface; reported
    positions are image pixels, x to the right, y downwards, from the top-left.
  - F1 Start carves the black pixels row by row from the top, left to right,
    reporting each one (FF, x/100, x%100, y/100, y%100). After a finished job
    F1 starts again from the top.
  - F2 Pause toggles: it pauses a running job and resumes a paused one; F1 also
    resumes.
  - F9 Restart stops and goes back to the first row.
  - FC 77 Recarve starts again from the first row and keeps going.
  - FC 55 / FC AA move the next row 15 rows back / forward.
  - F5..F8 move the head up, down, left, right by the jog step; F3 goes to the
    lower-left corner (0, 509), FB to the middle (255, 255); F4 traces the
    outline of the bounding box of the black pixels. Each position is
    reported. These are ignored while a job runs (they work when paused).
  - FA n and the burning time are only printed.
  - While no console has the port open, reports are not sent (the head keeps
    going at its pace; with --fast it waits).
  - The port is a pseudo-terminal: baud rate and other line settings the
    console chooses are accepted and ignored. If a console was killed while it
    held the port exclusively, other users cannot open it until the engraver is
    restarted.

Exits on SIGINT, SIGTERM or SIGHUP and removes its link.
)";
}

}  // namespace tessary::virtual_engraver
