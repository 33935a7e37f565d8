// COM numbers to devices: the port directory, the platform list's order, and the resolver seam.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/model/properties.h"
#include "link/com_ports.h"
#include "link/serial_port.h"
#include "pty_fixture.h"

namespace tessary::link {
namespace {

namespace fs = std::filesystem;
using namespace tessary::test;

// A stand-in for /sys/class/tty: each entry may have a bound driver and a UART type.
class FakeSysClassTty {
public:
    FakeSysClassTty() {
        std::string pattern = (fs::temp_directory_path() / "tessary-sys-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
    }
    ~FakeSysClassTty() { fs::remove_all(root_); }
    void add(const std::string& name, bool driver, int type = -1) {
        fs::create_directories(root_ / name / "device");
        if (driver) fs::create_directory_symlink("/", root_ / name / "device" / "driver");
        if (type >= 0) std::ofstream(root_ / name / "type") << type << "\n";
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

TEST(ComPorts, ThePlatformListPutsUsbAdaptersFirstInNaturalOrder) {
    FakeSysClassTty sys;
    sys.add("ttyS0", true, 4);      // a 16550A
    sys.add("ttyS1", true, 0);      // legacy port without a chip
    sys.add("ttyS2", false);        // no driver bound
    sys.add("tty3", false);         // virtual console
    sys.add("ttyACM0", true);
    sys.add("ttyUSB10", true);
    sys.add("ttyUSB2", true);
    sys.add("ttyAMA0", true);
    sys.add("ttyS10", true, 4);
    sys.add("ttyUSB1", true);
    const std::vector<std::string> expected = {"ttyUSB1", "ttyUSB2", "ttyUSB10", "ttyACM0",
                                               "ttyAMA0", "ttyS0",   "ttyS10"};
    EXPECT_EQ(listSerialPorts(sys.root()), expected);
}

TEST(ComPorts, EveryOpenGoesThroughTheInstalledResolver) {
    PortDir dir;
    Pty pty;
    dir.link(4, pty.slavePath());
    std::vector<int> asked;
    auto previous = setComResolver([&](int n) {
        asked.push_back(n);
        return comDevicePath(n);
    });
    RecordingSink sink;
    SerialPort port("端口1", {}, sink);
    for (int n : {0, 4, 9}) {
        port.write(prop::serial::kPortNumber, n);
        port.Open();
    }
    setComResolver(previous);
    EXPECT_EQ(asked, (std::vector<int>{1, 4, 9}));
}

}  // namespace
}  // namespace tessary::link
