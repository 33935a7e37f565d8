// SPDX-License-Identifier: GPL-3.0-or-later
// The real tessary-virtual-engraver process, driven over its pty the way the console drives it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "engrave/report_decoder.h"
#include "wire_image_builder.h"

extern char** environ;

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using engrave::Point;
constexpr auto kPatience = std::chrono::seconds(10);

class Engraver {
  public:
    explicit Engraver(std::vector<std::string> args, std::optional<std::string> tmpDir = std::nullopt) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
        posix_spawn_file_actions_adddup2(&actions, ends[1], 2);
        args.insert(args.begin(), TESSARY_VIRTUAL_ENGRAVER);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("TESSARY_PORT_DIR=", 0) != 0 && entry.rfind("TMPDIR=", 0) != 0)
                env.push_back(entry);
        }
        if (tmpDir) env.push_back("TMPDIR=" + *tmpDir);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        out_ = ends[0];
        if (rc != 0) throw std::runtime_error("spawn");
    }
    ~Engraver() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }
    Engraver(const Engraver&) = delete;
    Engraver& operator=(const Engraver&) = delete;

    /// The next output line holding `text`; empty when none came in time.
    std::string waitFor(const std::string& text) {
        const auto end = Clock::now() + kPatience;
        for (;;) {
            while (next_ < lines_.size()) {
                if (lines_[next_++].find(text) != std::string::npos) return lines_[next_ - 1];
            }
            if (!readMore(end)) return {};
        }
    }
    /// Exit status after `signal`.
    int stop(int signal) {
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        while (readMore(Clock::now() + std::chrono::milliseconds(200))) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    bool readMore(Clock::time_point end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd fd{out_, POLLIN, 0};
        if (left <= 0 || ::poll(&fd, 1, static_cast<int>(left)) <= 0) return false;
        char buffer[4096];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) return false;
        partial_.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t eol; (eol = partial_.find('\n')) != std::string::npos; partial_.erase(0, eol + 1)) {
            lines_.push_back(partial_.substr(0, eol));
        }
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    std::string partial_;
};

// The slave end opened the way the console opens its port: exclusive, raw, 57600 baud, purged.
class Line {
  public:
    explicit Line(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios tio{};
        if (fd_ < 0 || ::ioctl(fd_, TIOCEXCL) != 0 || ::tcgetattr(fd_, &tio) != 0) {
            throw std::runtime_error("cannot open " + path);
        }
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B57600);
        ::cfsetospeed(&tio, B57600);
        ::tcsetattr(fd_, TCSANOW, &tio);
        ::tcflush(fd_, TCIOFLUSH);
    }
    ~Line() {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    void send(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            pollfd fd{fd_, POLLOUT, 0};
            ::poll(&fd, 1, 1000);
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) done += static_cast<std::size_t>(n);
        }
    }
    /// Decodes reports until `count` positions came or the line stayed quiet too long.
    std::vector<Point> reports(std::size_t count) {
        std::vector<Point> points;
        const auto end = Clock::now() + kPatience;
        while (points.size() < count && Clock::now() < end) {
            pollfd fd{fd_, POLLIN, 0};
            if (::poll(&fd, 1, 100) <= 0) continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                if (const auto p = decoder_.feed(buffer[i])) points.push_back(*p);
            }
        }
        return points;
    }

  private:
    int fd_;
    engrave::ReportDecoder decoder_;
};

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tools_tests-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Grey rows of a 1-bit PNG, top row first, or nothing.
std::optional<std::vector<std::vector<std::uint8_t>>> readPng(const fs::path& path, int& width) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_GRAY;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return std::nullopt;
    width = static_cast<int>(image.width);
    std::vector<std::vector<std::uint8_t>> rows;
    for (std::size_t y = 0; y < image.height; ++y) {
        rows.emplace_back(pixels.begin() + y * image.width, pixels.begin() + (y + 1) * image.width);
    }
    return rows;
}

// An upper-left "L" and a lone pixel at the bottom right: wrong either way up or mirrored.
PixelSet previewPixels() {
    PixelSet black;
    for (int y = 10; y < 20; ++y) black.insert({y, 10});
    for (int x = 11; x < 16; ++x) black.insert({19, x});
    black.insert({0, 0});
    black.insert({511, 500});
    return black;
}

TEST(VirtualEngraver, TakesAnImageSavesItTheRightWayUpAndCarvesIt) {
    TempDir dir;
    const fs::path images = dir.path() / "images";
    Engraver engraver({"--port-dir", dir.path().string(), "--fast", "--out", images.string(), "--keep-bmp"});
    ASSERT_EQ(engraver.waitFor("export TESSARY_PORT_DIR="), "export TESSARY_PORT_DIR=" + dir.path().string());
    const fs::path port = dir.path() / "COM5";
    ASSERT_TRUE(fs::is_symlink(port));
    Line line(port.string());

    for (int i = 0; i < 8; ++i) line.send({0xFE});
    EXPECT_NE(engraver.waitFor("FE x8 Erase last image"), "");
    const PixelSet black = previewPixels();
    line.send(wireImage(512, 512, black));
    const std::string saved = engraver.waitFor("image 32830 bytes");
    ASSERT_NE(saved.find("512x512, 17 black pixels, saved " + (images / "image-1.png").string() + " and " +
                         (images / "image-1.bmp").string()),
              std::string::npos)
        << saved;
    std::ifstream bmp(images / "image-1.bmp", std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(bmp), {}), wireImage(512, 512, black));

    int width = 0;
    const auto rows = readPng(images / "image-1.png", width);
    ASSERT_TRUE(rows);
    ASSERT_EQ(width, 512);
    ASSERT_EQ(rows->size(), 512u);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            ASSERT_EQ((*rows)[y][x], black.count({y, x}) ? 0 : 255) << x << "," << y;
        }
    }

    line.send({0xF1});
    std::vector<Point> expected;
    for (const auto& [y, x] : black) expected.push_back({x, y});
    EXPECT_EQ(line.reports(expected.size()), expected);
    EXPECT_NE(engraver.waitFor("carving finished, 17 pixels reported, burnt pixels saved as " +
                               (images / "burn-1.png").string()),
              "");
    EXPECT_EQ(readPng(images / "burn-1.png", width), rows) << "the burn of a whole pass is the image";
}

TEST(VirtualEngraver, PacedReportsAreSpreadOutAndNoneIsLost) {
    TempDir dir;
    Engraver engraver({"--port-dir", dir.path().string(), "--pace", "300"});
    ASSERT_NE(engraver.waitFor("linked as"), "");
    Line line((dir.path() / "COM5").string());
    PixelSet black;
    for (int x = 0; x < 30; ++x) black.insert({100, 2 * x});
    line.send(std::vector<std::uint8_t>(8, 0xFE));
    line.send(wireImage(512, 512, black));
    ASSERT_NE(engraver.waitFor("30 black pixels"), "");
    const auto started = Clock::now();
    line.send({0xF1});
    const std::vector<Point> points = line.reports(30);
    // 30 reports at 300 a second take about 100 ms; only the lower bound is safe to check.
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(80));
    ASSERT_EQ(points.size(), 30u);
    for (int x = 0; x < 30; ++x) EXPECT_EQ(points[x], (Point{2 * x, 100}));
}

TEST(VirtualEngraver, PrintsALineForEveryMessageAndReportsHeadMoves) {
    TempDir dir;
    Engraver engraver({"--port-dir", dir.path().string(), "--com", "7", "--fast", "--jog-step", "3"});
    ASSERT_NE(engraver.waitFor("linked as " + (dir.path() / "COM7").string()), "");
    Line line((dir.path() / "COM7").string());
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string line;
        std::optional<Point> report;
    };
    const Case cases[] = {
        {{0xF6}, "F6 Jog down: head at (0, 3)", Point{0, 3}},
        {{0xF8}, "F8 Jog right: head at (3, 3)", Point{3, 3}},
        {{0xF5}, "F5 Jog up: head at (3, 0)", Point{3, 0}},
        {{0xF7}, "F7 Jog left: head at (0, 0)", Point{0, 0}},
        {{0xF3}, "F3 Go to lower-left corner: head at (0, 509)", Point{0, 509}},
        {{0xFB}, "FB Go to middle of image: head at (255, 255)", Point{255, 255}},
        {{0xF1}, "F1 Start carving: no image to carve", std::nullopt},
        {{0xF2}, "F2 Pause: not carving", std::nullopt},
        {{0xF9}, "F9 Restart: stopped", std::nullopt},
        {{0xF4}, "F4 Frame carving area: no image to frame", std::nullopt},
        {{0xFC, 0x55}, "FC 55 Fast backward 15 rows", std::nullopt},
        {{0xFC, 0xAA}, "FC AA Fast forward 15 rows", std::nullopt},
        {{0xFC, 0x77}, "FC 77 Recarve", std::nullopt},
        {{0xFA, 0x23}, "FA 23 Set motor step pulse 35", std::nullopt},
        {{0x3C}, "3C Burning time 60", std::nullopt},
        {{0xF0}, "F0 Burning time 240", std::nullopt},
        {{0xFD}, "FD unexpected byte", std::nullopt},
    };
    for (const Case& c : cases) {
        for (const std::uint8_t b : c.bytes) line.send({b});
        EXPECT_NE(engraver.waitFor(c.line), "") << c.line;
        if (c.report) {
            EXPECT_EQ(line.reports(1), std::vector<Point>{*c.report}) << c.line;
        }
    }
}

TEST(VirtualEngraver, ConsoleCanCloseAndReopenThePort) {
    TempDir dir;
    Engraver engraver({"--port-dir", dir.path().string(), "--fast"});
    const std::string port = (dir.path() / "COM5").string();
    ASSERT_NE(engraver.waitFor("linked as"), "");
    for (int round = 0; round < 3; ++round) {
        {
            Line line(port);
            line.send({0xF6});
            EXPECT_EQ(line.reports(1), (std::vector<Point>{{0, 10 * (round + 1)}})) << round;
        }
        EXPECT_NE(engraver.waitFor("line closed"), "") << round;
    }
}

TEST(VirtualEngraver, SignalsRemoveTheLinkAndItsOwnDirectory) {
    TempDir tmp;
    {
        Engraver engraver({}, tmp.path().string());
        const std::string exported = engraver.waitFor("export TESSARY_PORT_DIR=");
        ASSERT_NE(exported, "");
        const fs::path dir = exported.substr(exported.find('=') + 1);
        EXPECT_EQ(dir.parent_path(), tmp.path());
        EXPECT_TRUE(fs::is_symlink(dir / "COM1")) << "its own directory gets COM1";
        EXPECT_EQ(engraver.stop(SIGINT), 0);
        EXPECT_FALSE(fs::exists(dir));
    }
    {
        TempDir ports;
        Engraver engraver({"--port-dir", ports.path().string()});
        ASSERT_NE(engraver.waitFor("export TESSARY_PORT_DIR="), "");
        EXPECT_EQ(engraver.stop(SIGTERM), 0);
        EXPECT_FALSE(fs::is_symlink(ports.path() / "COM5"));
        EXPECT_TRUE(fs::exists(ports.path())) << "a directory it did not make stays";
    }
}

TEST(VirtualEngraver, ReplacesAStaleLinkButNotALiveOne) {
    TempDir dir;
    fs::create_symlink("/dev/pts/does-not-exist", dir.path() / "COM5");
    {
        Engraver engraver({"--port-dir", dir.path().string()});
        EXPECT_NE(engraver.waitFor("linked as"), "");
        Engraver second({"--port-dir", dir.path().string()});
        EXPECT_NE(second.waitFor("already exists"), "");
        EXPECT_EQ(second.stop(0), 1);
        EXPECT_EQ(engraver.stop(SIGTERM), 0);
    }
}

}  // namespace
}  // namespace tessary::testing
