// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_card_option.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "image/files.h"
#include "intake/test_card.h"

namespace tessary::prepare {
namespace {

std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int refuse(const std::string& message) {
    std::fprintf(stderr, "tessary-prepare: %s\n", message.c_str());
    return 2;
}

bool isTestCard(std::string_view arg) { return arg == "--test-card" || arg.starts_with("--test-card="); }

}  // namespace

bool wantsTestCard(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--") return false;
        if (isTestCard(argv[i])) return true;
    }
    return false;
}

int runTestCard(int argc, char** argv) {
    intake::TestCardRequest request;
    std::optional<int> cell;
    std::optional<std::string> out;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.size() < 2 || arg[0] != '-') {
            if (out) return refuse("the test card takes one file, OUT.bmp");
            out = std::string(arg);
            continue;
        }
        std::optional<std::string_view> value;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        if (!value) return refuse(std::string(arg) + " needs a value");
        if (arg == "--test-card") {
            const auto first = value->find(':'), second = value->find(':', first + 1);
            const auto from = number(value->substr(0, first));
            const auto to = first == std::string_view::npos
                                ? std::nullopt
                                : number(value->substr(first + 1, second - first - 1));
            const auto count =
                second == std::string_view::npos ? std::nullopt : number(value->substr(second + 1));
            if (!from || !to || !count)
                return refuse("--test-card takes FROM:TO:COUNT, such as 20:200:6, not '" +
                              std::string(*value) + "'");
            request.from = *from;
            request.to = *to;
            request.count = *count;
        } else if (arg == "--cell-size" || arg == "--cell") {
            const auto n = number(*value);
            if (!n)
                return refuse(std::string(arg) + " takes a whole number, not '" + std::string(*value) + "'");
            if (arg == "--cell")
                cell = *n;
            else
                request.cellSize = *n;
        } else {
            return refuse("the test card takes --cell-size and --cell, not " + std::string(arg));
        }
    }
    if (!out || out->empty()) return refuse("the test card needs OUT.bmp");
    const auto laidOut = intake::layOutTestCard(request);
    if (const auto* refusal = std::get_if<std::string>(&laidOut))
        return refuse("test card refused: " + *refusal);
    const auto& layout = std::get<intake::TestCardLayout>(laidOut);
    if (cell && (*cell < 1 || *cell > static_cast<int>(layout.cells.size())))
        return refuse("--cell takes 1 to " + std::to_string(layout.cells.size()) + ", not " +
                      std::to_string(*cell));
    const std::size_t only = cell ? static_cast<std::size_t>(*cell - 1) : 0;
    const image::Bytes bmp =
        (cell ? intake::testCardUpload(layout, only) : intake::testCardEngraving(layout)).ToByteSet();
    if (!image::writeFile(*out, {std::span<const std::uint8_t>(bmp)})) {
        std::fprintf(stderr, "tessary-prepare: cannot write %s\n", out->c_str());
        return 1;
    }
    std::string times;
    for (const auto& c : layout.cells) times += (times.empty() ? "" : ", ") + std::to_string(c.burnTime);
    std::printf("Test card: %zu cells of %d dots, %d x %d dots; burn times %s\n", layout.cells.size(),
                layout.cellSize, layout.width, layout.height, times.c_str());
    if (cell) std::printf("Cell %d alone: burn time %d\n", *cell, layout.cells[only].burnTime);
    return 0;
}

}  // namespace tessary::prepare
