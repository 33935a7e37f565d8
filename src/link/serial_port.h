// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SerialPort unit: line settings as properties 8..19, Open / Close / SendData, and every received byte
// raised as DataArrived on the thread that created the unit.
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/model/unit.h"
#include "app/model/value.h"
#include "link/port_device.h"
#include "link/port_settings.h"
#include "link/send_value.h"

namespace tessary {
class Window;
}

namespace tessary::link {

class DeliveryTarget;
class EventQueue;
class PortWorker;

class SerialPort final : public Unit {
  public:
    // The unit must be created on the window thread: events are raised there, through sink.
    SerialPort(std::string name, PortSettings settings, EventSink& sink);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    Kind kind() const override { return Kind::SerialPort; }
    const std::string& name() const override { return name_; }
    // Stores the value (after its adjustment); an open port keeps its line until the next Open.
    void write(int property, const Value& value) override;
    Value read(int property) const override;

    // Closes first, then opens COM<PortNumber> with the stored settings and starts the worker.
    bool Open();
    // Stops the worker, closes the port and drops received bytes not yet delivered. What the driver still
    // holds to send gets at most two seconds and is then discarded. A write in progress (Close called from
    // inside SendData's wait) fails at once; the device is released when that SendData returns.
    void Close();
    // Writes the value's bytes and waits until they are sent. False when closed, when the value has no
    // byte form, when the write fails or the device is gone; an empty text or byte set writes nothing.
    bool SendData(const SendValue& value);
    // The same. While a long write lasts, the thread's events are processed except user input, so windows
    // keep painting; received bytes are held until the write has ended, and `progress` hears the bytes sent.
    // A send from inside that wait is refused.
    using SendProgress = std::function<void(std::size_t sent, std::size_t total)>;
    bool SendData(const SendValue& value, const SendProgress& progress);

    bool isOpen() const { return worker_ != nullptr; }
    // Why the last Open failed, as far as the system told.
    OpenRefusal lastRefusal() const { return refusal_; }
    // The USB identity of the device the last successful Open reached (see deviceIdentity); kept after Close.
    const std::string& deviceIdentity() const { return identity_; }
    const PortSettings& settings() const { return settings_; }

  private:
    std::string name_;
    EventSink& sink_;
    PortSettings settings_;
    std::array<Value, 8> common_{};
    std::shared_ptr<EventQueue> queue_;
    std::unique_ptr<DeliveryTarget> target_;
    std::shared_ptr<PortWorker> worker_;
    bool sending_ = false;
    std::string identity_;
    OpenRefusal refusal_ = OpenRefusal::None;
};

// Creates the unit from the settings block of its window definition (empty: the kind's defaults) and opens
// it when OpenOnCreate is set. nullptr when the block cannot be loaded.
std::unique_ptr<SerialPort> createSerialPortUnit(const std::string& name, const Bytes& block,
                                                 EventSink& sink);

// The SerialPort unit of that name in the window; nullptr when the window has none.
SerialPort* findSerialPort(Window& window, std::string_view unit);

}  // namespace tessary::link
