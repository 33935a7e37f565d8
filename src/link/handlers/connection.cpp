// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "link/com_ports.h"
#include "link/handlers/link_handlers.h"
#include "link/lost_port_watch.h"
#include "link/port_arrival_watch.h"
#include "link/serial_port.h"
#include "link/usb_adapters.h"

namespace tessary::link {
namespace {

constexpr int kScanAttempts = 32;
constexpr int kLastScannedPort = kScanAttempts - 1;
constexpr auto kWatchInterval = std::chrono::milliseconds(500);

// Only a real port unit can open; any other occupant of the slot counts as a port that does not open.
bool openPort(Window& main) {
    auto* port = dynamic_cast<SerialPort*>(&main.unit(main_window::kPort));
    return port && port->Open();
}

// A port that another program holds (another console, a terminal, a firmware tool) is named, since nothing
// else would tell the operator why it does not open.
std::string inUseLine(Window& main) {
    auto* port = dynamic_cast<SerialPort*>(&main.unit(main_window::kPort));
    if (!port || port->lastRefusal() != OpenRefusal::InUse) return {};
    return "COM" + std::to_string(main.getInt(main_window::kPort, prop::serial::kPortNumber)) +
           " is in use by another program\r\n\r\n";
}

// An adapter that the system sees without a port, or with one the scan does not reach, is the likeliest
// reason that nothing opened.
void logUnreachableAdapters(Console& console) {
    for (const std::string& line : unreachableAdapterLines(kLastScannedPort)) console.appendLog(line);
}

// Names the port that was opened: the list's "COM0" entry opens COM1.
std::string portLine(Window& main) {
    return "Port\xEF\xBC\x9A"
           "COM" +
           std::to_string(main.getInt(main_window::kPort, prop::serial::kPortNumber)) + "\r\n\r\n";
}

void showConnected(Window& main) {
    main.set(main_window::kConnect, prop::button::kCaption, "Connected");
    main.set(main_window::kConnect, prop::kDisabled, 1);
}

// The rest of the console hears that the machine's link is open again.
void announceConnected(Console& console) {
    if (const Handler* handler = console.handlers().find(kConnectedHandler)) (*handler)(console, {});
}

// After a loss, until the port is back, the operator connects by hand, or the window closes; after a start-up
// scan that found nothing, until a machine is plugged in, likewise.
struct Reconnection {
    std::unique_ptr<LostPortWatch> watch;
    std::unique_ptr<PortArrivalWatch> arrival;
    std::unique_ptr<Ticker> ticker;
    int portNumber = 0;
    int listEntry = 0;  // the lost port's entry in the COM list, which the operator may change meanwhile
};

void stopWatching(Console& console) {
    auto& r = console.state<Reconnection>();
    r.ticker.reset();
    r.watch.reset();
    r.arrival.reset();
}

// As a successful Connect leaves the window and the log.
void showConnectedByHand(Console& console) {
    Window& main = console.main();
    showConnected(main);
    console.appendLog("Connected!\r\n\r\n");
    console.appendLog(portLine(main));
    shell::applyConnectedState(console);
    main.set(main_window::kDisconnect, prop::kVisible, 1);
    main.set(main_window::kComList, prop::kVisible, 0);
    announceConnected(console);
}

void reconnect(Console& console) {
    auto& r = console.state<Reconnection>();
    if (!r.watch) return;
    if (!console.hasMainWindow()) {
        stopWatching(console);
        return;
    }
    if (!r.watch->deviceBack()) return;
    Window& main = console.main();
    auto* port = dynamic_cast<SerialPort*>(&main.unit(main_window::kPort));
    if (!port) return;
    port->write(prop::serial::kPortNumber, r.watch->portNumber());
    if (!port->Open()) return;
    // Where the system numbers its ports itself, the same adapter may come back under another COM port.
    const int listEntry = r.watch->portNumber() == r.portNumber ? r.listEntry : r.watch->portNumber();
    stopWatching(console);
    showConnected(main);
    main.set(main_window::kComList, prop::combobox::kSelection, listEntry);
    console.appendLog(kReconnectedLine);
    console.appendLog(portLine(main));
    shell::applyConnectedState(console);
    main.set(main_window::kDisconnect, prop::kVisible, 1);
    main.set(main_window::kComList, prop::kVisible, 0);
    announceConnected(console);
}

// A machine plugged in after the scan: connected as Connect would connect its port, chosen in the list.
void connectArrived(Console& console) {
    auto& r = console.state<Reconnection>();
    if (!r.arrival) return;
    if (!console.hasMainWindow()) {
        stopWatching(console);
        return;
    }
    Window& main = console.main();
    for (const int n : r.arrival->arrived()) {
        main.set(main_window::kPort, prop::serial::kPortNumber, n);
        if (!openPort(main)) {
            r.arrival->refused(n);
            continue;
        }
        stopWatching(console);
        main.set(main_window::kComList, prop::combobox::kSelection, n);
        console.appendLog("Connecting...\r\n\r\n");
        showConnectedByHand(console);
        return;
    }
}

std::unique_ptr<Ticker> watchEvery(Console& console, void (*look)(Console&)) {
    return console.clock().every(kWatchInterval, [&console, look] {
        try {
            look(console);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tessary: reconnecting failed: %s\n", e.what());
        }
    });
}

void startWatching(Console& console, int portNumber, const std::string& identity, int listEntry) {
    auto& r = console.state<Reconnection>();
    r.watch = std::make_unique<LostPortWatch>(portNumber, identity);
    r.portNumber = portNumber;
    r.listEntry = listEntry;
    r.ticker = watchEvery(console, reconnect);
}

// As Break leaves the window: the COM list shown with the port's entry still selected.
void showDisconnected(Console& console, std::string_view logLine) {
    Window& main = console.main();
    main.set(main_window::kConnect, prop::button::kCaption, "Connect");
    main.set(main_window::kConnect, prop::kDisabled, 0);
    console.appendLog(logLine);
    shell::applyDisconnectedState(console);
    main.set(main_window::kComList, prop::kVisible, 1);
    main.set(main_window::kDisconnect, prop::kVisible, 0);
}

}  // namespace

void manualConnection(Console& console, const EventArgs&) {
    stopWatching(console);
    Window& main = console.main();
    main.set(main_window::kPort, prop::serial::kPortNumber,
             main.getInt(main_window::kComList, prop::combobox::kSelection));
    console.appendLog("Connecting...\r\n\r\n");
    if (openPort(main)) {
        showConnectedByHand(console);
        return;
    }
    const std::string inUse = inUseLine(main);
    console.dialogs().messageBox("Empty Port", 0, "ERROR");
    console.appendLog("connection failed!\r\n\r\n");
    console.appendLog("change anyother port and try again\r\n\r\n");
    if (!inUse.empty()) console.appendLog(inUse);
    logUnreachableAdapters(console);
}

void automaticConnection(Console& console, const EventArgs&) {
    Window& main = console.main();
    console.appendLog("Automatic Connecting...\r\n\r\n");
    // PortNumber stores 0 as 1, so the scan opens COM1 twice and never reaches COM32. USB adapters come
    // first where the system numbers the ports.
    std::vector<std::string> inUse;
    for (const int n : startupScanOrder(kScanAttempts)) {
        main.set(main_window::kPort, prop::serial::kPortNumber, n);
        if (!openPort(main)) {
            const std::string line = inUseLine(main);
            if (!line.empty() && std::find(inUse.begin(), inUse.end(), line) == inUse.end())
                inUse.push_back(line);
            continue;
        }
        showConnected(main);
        console.appendLog("Succesed to connected the machine!\r\n\r\n");
        console.appendLog(portLine(main));
        main.set(main_window::kComList, prop::combobox::kSelection, n);
        shell::applyConnectedState(console);
        announceConnected(console);
        return;
    }
    // The ports the scan met, before the operator reads the box and plugs the machine in.
    auto arrival = std::make_unique<PortArrivalWatch>(kLastScannedPort);
    console.dialogs().messageBox("Automatic connection failed !", 0, "Information");
    console.appendLog("Change another USB port and try again\r\n\r\n");
    for (const std::string& line : inUse) console.appendLog(line);
    logUnreachableAdapters(console);
    main.set(main_window::kComList, prop::kVisible, 1);
    main.set(main_window::kDisconnect, prop::kVisible, 0);
    auto& r = console.state<Reconnection>();
    r.arrival = std::move(arrival);
    r.ticker = watchEvery(console, connectArrived);
}

void disconnection(Console& console, const EventArgs&) {
    stopWatching(console);
    if (auto* port = dynamic_cast<SerialPort*>(&console.main().unit(main_window::kPort))) port->Close();
    showDisconnected(console, "Disconnected connection\r\n\r\n");
}

void connectionLost(Console& console, const EventArgs&) {
    auto* port = dynamic_cast<SerialPort*>(&console.main().unit(main_window::kPort));
    // Break may have closed the port while the news of the loss was on its way.
    if (!port || !port->isOpen()) return;
    const int portNumber = console.main().getInt(main_window::kPort, prop::serial::kPortNumber);
    port->Close();
    showDisconnected(console, kConnectionLostLine);
    startWatching(console, portNumber, port->deviceIdentity(),
                  console.main().getInt(main_window::kComList, prop::combobox::kSelection));
}

}  // namespace tessary::link

namespace tessary {

void registerLinkHandlers(HandlerRegistry& registry) {
    registry.add("connect", link::manualConnection);
    registry.add("automaticConnection", link::automaticConnection);
    registry.add("disconnect", link::disconnection);
    registry.add("connectionLost", link::connectionLost);
}

}  // namespace tessary
