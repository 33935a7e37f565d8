// SPDX-License-Identifier: GPL-3.0-or-later
// Present USB devices as SetupAPI knows them; an adapter whose driver could not be installed carries
// problem code 28 and has no COM port.
#include <windows.h>
// windows.h first: the SetupAPI headers need its types.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <map>
#include <memory>
#include <string>

#include "link/usb_adapters.h"
#include "link/win32/port_catalogue.h"

namespace tessary::link {
namespace {

struct DeviceListCloser {
    void operator()(void* list) const { SetupDiDestroyDeviceInfoList(list); }
};

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

// A registry property of the device as text: the first string of a multi-string (hardware ids).
std::string property(HDEVINFO list, SP_DEVINFO_DATA& info, DWORD which) {
    wchar_t buffer[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(list, &info, which, nullptr, reinterpret_cast<BYTE*>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr))
        return {};
    return utf8(buffer);
}

// The COM port whose device belongs to this USB device (known by vendor, product and serial number).
int comPortOf(HDEVINFO list, SP_DEVINFO_DATA& info, const std::map<int, std::string>& ports) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!SetupDiGetDeviceInstanceIdW(list, &info, id, MAX_DEVICE_ID_LEN, nullptr)) return 0;
    const std::string identity = usbIdentityOfInstance(id);
    if (identity.empty()) return 0;
    for (const auto& [number, owner] : ports)
        if (owner == identity) return number;
    return 0;
}

}  // namespace

std::vector<UsbDevice> presentUsbDevices() {
    const std::map<int, std::string> ports = managedPorts();
    std::vector<UsbDevice> devices;
    HDEVINFO raw = SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (raw == INVALID_HANDLE_VALUE) return devices;
    std::unique_ptr<void, DeviceListCloser> list(raw);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; i < 4096 && SetupDiEnumDeviceInfo(raw, i, &info); ++i) {
        UsbDevice device;
        if (!parseHardwareId(property(raw, info, SPDRP_HARDWAREID), device)) continue;
        device.description = property(raw, info, SPDRP_FRIENDLYNAME);
        if (device.description.empty()) device.description = property(raw, info, SPDRP_DEVICEDESC);
        ULONG status = 0, problem = 0;
        device.withoutPort = CM_Get_DevNode_Status(&status, &problem, info.DevInst, 0) == CR_SUCCESS &&
                             (status & DN_HAS_PROBLEM) && problem == CM_PROB_FAILED_INSTALL;
        if (!device.withoutPort) device.comPort = comPortOf(raw, info, ports);
        devices.push_back(std::move(device));
    }
    return devices;
}

std::string_view missingDriverAdvice() {
    return "install its driver from the adapter's maker, then plug it in again";
}

}  // namespace tessary::link
