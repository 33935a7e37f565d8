// SPDX-License-Identifier: GPL-3.0-or-later
// Received-byte delivery from a pty to the DataArrived handler on the window thread.
//   1. sustained throughput: the machine side writes as fast as the pty takes it; every byte is checked.
//   2. line rate: 5,760 bytes/s (57600 baud, 8N1) for a few seconds; CPU of the console's side in % of a
//   core.
// Usage: link_delivery_bench [megabytes=8] [seconds=5] [chunk-period-us=1000]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "link/serial_port.h"

using namespace std::chrono;
using tessary::Bytes;

namespace {

double cpuSeconds(int who) {
    rusage u{};
    ::getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::uint8_t pattern(std::uint64_t i) { return static_cast<std::uint8_t>(i % 251); }

class CountingSink : public tessary::EventSink {
  public:
    void raise(const std::string&, int event, const tessary::EventArgs& args) override {
        if (event != tessary::event::kDataArrived) return;
        if (args.a != pattern(count)) ++wrong;
        ++count;
    }
    bool alive() const override { return true; }
    std::uint64_t count = 0;
    std::uint64_t wrong = 0;
};

void writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            std::perror("write");
            std::exit(1);
        }
    }
}

void runUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    tick.start(100);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::uint64_t total = (argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 8) << 20;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
    const int chunkPeriodUs = argc > 3 ? std::atoi(argv[3]) : 1000;

    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
    ::close(slave);
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    char dir[] = "/tmp/tessary-bench-XXXXXX";
    if (!::mkdtemp(dir)) return 1;
    std::filesystem::create_symlink(name, std::filesystem::path(dir) / "COM1");
    ::setenv("TESSARY_PORT_DIR", dir, 1);

    CountingSink sink;
    tessary::link::SerialPort port(tessary::main_window::kPort, {}, sink);
    port.write(tessary::prop::serial::kBaudRate, 57600);
    if (!port.Open()) {
        std::fprintf(stderr, "cannot open the pty\n");
        return 1;
    }

    // 1. Sustained throughput.
    std::atomic<double> writerCpu{0};
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    const auto start = steady_clock::now();
    std::thread machine([&] {
        std::vector<std::uint8_t> block(4096);
        for (std::uint64_t sent = 0; sent < total; sent += block.size()) {
            for (std::size_t i = 0; i < block.size(); ++i) block[i] = pattern(sent + i);
            writeAll(master, block.data(), block.size());
        }
        writerCpu = cpuSeconds(RUSAGE_THREAD);
    });
    runUntil([&] { return sink.count >= total; });
    const double wall = duration<double>(steady_clock::now() - start).count();
    machine.join();
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpu0 - writerCpu;
    std::printf("throughput: %llu bytes in %.3f s = %.0f bytes/s (%.0f x 5760), wrong or missing: %llu\n",
                static_cast<unsigned long long>(sink.count), wall, sink.count / wall,
                sink.count / wall / 5760,
                static_cast<unsigned long long>(sink.wrong + (total - std::min(total, sink.count))));
    std::printf("            console CPU %.3f s = %.3f us per byte\n", cpu, cpu * 1e6 / sink.count);

    // 2. Line rate: 5,760 bytes/s in chunks every chunkPeriodUs (a USB adapter hands bytes over per frame).
    sink.count = sink.wrong = 0;
    const std::uint64_t lineBytes = 5760ull * seconds;
    const double cpu1 = cpuSeconds(RUSAGE_SELF);
    const auto lineStart = steady_clock::now();
    std::thread feeder([&] {
        std::uint64_t sent = 0;
        std::vector<std::uint8_t> chunk;
        for (auto due = lineStart; sent < lineBytes;) {
            due += microseconds(chunkPeriodUs);
            std::this_thread::sleep_until(due);
            auto owed =
                static_cast<std::uint64_t>(duration<double>(steady_clock::now() - lineStart).count() * 5760);
            owed = std::min(owed, lineBytes);
            chunk.clear();
            for (; sent < owed; ++sent) chunk.push_back(pattern(sent));
            writeAll(master, chunk.data(), chunk.size());
        }
        writerCpu = cpuSeconds(RUSAGE_THREAD);
    });
    runUntil([&] { return sink.count >= lineBytes; });
    const double lineWall = duration<double>(steady_clock::now() - lineStart).count();
    feeder.join();
    const double lineCpu = cpuSeconds(RUSAGE_SELF) - cpu1 - writerCpu;
    std::printf("line rate:  %llu bytes in %.3f s (chunk every %d us), wrong or missing: %llu\n",
                static_cast<unsigned long long>(sink.count), lineWall, chunkPeriodUs,
                static_cast<unsigned long long>(sink.wrong + (lineBytes - std::min(lineBytes, sink.count))));
    std::printf("            console CPU %.3f s = %.2f %% of one core, %.3f us per byte\n", lineCpu,
                100 * lineCpu / lineWall, lineCpu * 1e6 / sink.count);

    port.Close();
    ::close(master);
    std::filesystem::remove_all(dir);
    return sink.wrong == 0 ? 0 : 1;
}
