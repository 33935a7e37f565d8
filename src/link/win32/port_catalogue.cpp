// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/win32/port_catalogue.h"

// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cwctype>
#include <memory>

#include "link/com_ports.h"
#include "link/usb_adapters.h"

namespace tessary::link {
namespace {

// "COM12" → 12; 0 for anything else.
int comNumber(const std::wstring& name) {
    if (name.size() < 4 || name.size() > 6 || _wcsnicmp(name.c_str(), L"COM", 3) != 0) return 0;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::iswdigit(name[i])) return 0;
        n = n * 10 + (name[i] - L'0');
    }
    return n;
}

struct DeviceInfoSet {
    HDEVINFO set;
    ~DeviceInfoSet() {
        if (set != INVALID_HANDLE_VALUE) ::SetupDiDestroyDeviceInfoList(set);
    }
};

std::wstring portName(HDEVINFO set, SP_DEVINFO_DATA& device) {
    HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t name[32] = {};
    DWORD size = sizeof name - sizeof(wchar_t), type = 0;
    const bool ok = ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name),
                                       &size) == ERROR_SUCCESS &&
                    type == REG_SZ;
    ::RegCloseKey(key);
    return ok ? name : L"";
}

// Walks from the port's device node up to the USB device it belongs to.
std::string identityOfNode(DEVINST node) {
    for (int depth = 0; depth < 8; ++depth) {
        wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
        if (::CM_Get_Device_IDW(node, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return {};
        if (std::string identity = usbIdentityOfInstance(id); !identity.empty()) return identity;
        DEVINST parent = 0;
        if (::CM_Get_Parent(&parent, node, 0) != CR_SUCCESS) return {};
        node = parent;
    }
    return {};
}

// Each present port's number and device node.
template <typename Visit>
void forEachPort(Visit visit) {
    DeviceInfoSet ports{::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT)};
    if (ports.set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(ports.set, i, &device); ++i)
        if (const int n = comNumber(portName(ports.set, device))) visit(n, device.DevInst);
}

bool isBluetoothLink(DEVINST node) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    return ::CM_Get_Device_IDW(node, id, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS &&
           _wcsnicmp(id, L"BTHENUM\\", 8) == 0;
}

}  // namespace

std::string comDevicePath(int n) { return n < 1 ? std::string() : "\\\\.\\COM" + std::to_string(n); }

std::vector<int> listSerialPorts() {
    std::vector<int> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256], data[32] = {};
        DWORD nameSize = 256, dataSize = sizeof data - sizeof(wchar_t), type = 0;
        const LONG result = ::RegEnumValueW(key, i, name, &nameSize, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        if (const int n = comNumber(data)) ports.push_back(n);
    }
    ::RegCloseKey(key);
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

std::string usbIdentityOfInstance(const std::wstring& instanceId) {
    std::string id;
    for (wchar_t c : instanceId) id += c < 0x80 ? static_cast<char>(std::toupper(static_cast<int>(c))) : '?';
    const auto last = id.rfind('\\');
    const std::string hardware = id.substr(0, last);
    UsbDevice device;
    if (hardware.find("&MI_") != std::string::npos || !parseHardwareId(hardware, device)) return {};
    // Without a serial number of its own the device gets an instance part made up by Windows, with '&' in it.
    const std::string instance = last == std::string::npos ? "" : id.substr(last + 1);
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", device.vendor, device.product);
    return ids + (instance.empty() || instance.find('&') != std::string::npos ? "" : ":" + instance);
}

std::map<int, std::string> managedPorts() {
    std::map<int, std::string> identities;
    forEachPort([&](int n, DEVINST node) { identities[n] = identityOfNode(node); });
    return identities;
}

std::map<int, PortKind> systemPortKinds() {
    std::map<int, PortKind> kinds;
    forEachPort([&](int n, DEVINST node) {
        kinds[n] = !identityOfNode(node).empty() ? PortKind::Usb
                   : isBluetoothLink(node)       ? PortKind::Bluetooth
                                                 : PortKind::Other;
    });
    return kinds;
}

std::string deviceIdentity(const std::string& devicePath) {
    const auto at = devicePath.rfind('\\');
    const int n = comNumber(
        std::wstring(devicePath.begin() + static_cast<std::ptrdiff_t>(at == std::string::npos ? 0 : at + 1),
                     devicePath.end()));
    if (n == 0) return {};
    const auto identities = managedPorts();
    const auto found = identities.find(n);
    return found == identities.end() ? std::string() : found->second;
}

}  // namespace tessary::link
