// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/port_catalogue.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#include "link/com_ports.h"

namespace tessary::link {
namespace fs = std::filesystem;

namespace {

struct NaturalName {
    std::string prefix;
    unsigned long number = 0;
    bool hasNumber = false;

    explicit NaturalName(const std::string& name) {
        auto digits = name.find_last_not_of("0123456789") + 1;
        prefix = name.substr(0, digits);
        if (digits < name.size() && name.size() - digits < 10) {
            number = std::stoul(name.substr(digits));
            hasNumber = true;
        }
    }
    auto key() const { return std::tie(prefix, hasNumber, number); }
};

bool startsWith(const std::string& s, std::string_view p) { return s.compare(0, p.size(), p) == 0; }

int group(const std::string& name) {
    if (startsWith(name, "ttyUSB")) return 0;
    if (startsWith(name, "ttyACM")) return 1;
    return 2;
}

// serial_core reports the UART type in sysfs; 0 (PORT_UNKNOWN) is a legacy port with no chip behind it.
std::optional<int> sysfsPortType(const fs::path& entry) {
    std::ifstream in(entry / "type");
    int type = 0;
    if (in >> type) return type;
    return std::nullopt;
}

bool ioctlPortTypeKnown(const std::string& name) {
    int fd = ::open(("/dev/" + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct info{};
    bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

bool hasHardware(const fs::path& entry, const std::string& name) {
    std::error_code ec;
    if (!fs::exists(entry / "device" / "driver", ec)) return false;
    if (!startsWith(name, "ttyS")) return true;
    if (auto type = sysfsPortType(entry)) return *type != PORT_UNKNOWN;
    return ioctlPortTypeKnown(name);
}

}  // namespace

std::vector<std::string> listSerialPorts(const fs::path& sysClassTty) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(sysClassTty, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (hasHardware(it->path(), name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int ga = group(a), gb = group(b);
        if (ga != gb) return ga < gb;
        return NaturalName(a).key() < NaturalName(b).key();
    });
    return names;
}

std::string sysfsAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string usbIdentity(const std::string& devicePath, const fs::path& sysClassTty) {
    std::error_code ec;
    const fs::path device = fs::canonical(devicePath, ec);
    if (ec) return {};
    fs::path dir = fs::canonical(sysClassTty / device.filename() / "device", ec);
    if (ec) return {};
    // The tty's device is an interface of the USB device; the USB device is the first parent with a vendor.
    for (int depth = 0; depth < 8 && !dir.empty() && dir != dir.root_path();
         ++depth, dir = dir.parent_path()) {
        const std::string vendor = sysfsAttribute(dir / "idVendor");
        if (vendor.empty()) continue;
        const std::string serial = sysfsAttribute(dir / "serial");
        return vendor + ":" + sysfsAttribute(dir / "idProduct") + (serial.empty() ? "" : ":" + serial);
    }
    return {};
}

std::string comDevicePath(int n) {
    if (n < 1) return {};
    if (const char* dir = std::getenv("TESSARY_PORT_DIR"); dir && *dir)
        return (fs::path(dir) / ("COM" + std::to_string(n))).string();
    auto ports = listSerialPorts();
    if (static_cast<std::size_t>(n) > ports.size()) return {};
    return "/dev/" + ports[static_cast<std::size_t>(n) - 1];
}

std::string deviceIdentity(const std::string& devicePath) { return usbIdentity(devicePath); }

std::map<int, PortKind> systemPortKinds() { return {}; }

}  // namespace tessary::link
