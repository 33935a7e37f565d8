// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/serial_port.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>
#include <exception>
#include <optional>

#include "app/model/delivery_hold.h"
#include "app/model/properties.h"
#include "app/model/window.h"
#include "link/com_ports.h"
#include "link/delivery_target.h"
#include "link/event_queue.h"
#include "link/port_device.h"
#include "link/port_worker.h"

namespace tessary::link {

SerialPort::SerialPort(std::string name, PortSettings settings, EventSink& sink)
    : name_(std::move(name)),
      sink_(sink),
      settings_(std::move(settings)),
      queue_(std::make_shared<EventQueue>()) {
    common_[prop::kTag] = std::string();
    common_[prop::kMousePointer] = Bytes();
    target_ = std::make_unique<DeliveryTarget>(queue_, sink_, name_);
    queue_->setTarget(target_.get());
}

SerialPort::~SerialPort() {
    Close();
    queue_->setTarget(nullptr);
    target_->detach();
    // A handler of this very unit's events may be destroying it: the target then deletes itself when the
    // delivery it is in returns.
    if (target_->delivering()) target_.release();
}

void SerialPort::write(int property, const Value& value) {
    if (writeSetting(settings_, property, value)) return;
    if (property < 0 || property >= static_cast<int>(common_.size())) return;
    if (property == prop::kTag)
        common_[property] = asText(value);
    else if (property == prop::kMousePointer)
        common_[property] = asBytes(value);
    else
        common_[property] = asInt(value);
}

Value SerialPort::read(int property) const {
    if (auto v = readSetting(settings_, property)) return *v;
    if (property >= 0 && property < static_cast<int>(common_.size())) return common_[property];
    return std::int32_t{0};
}

bool SerialPort::Open() {
    Close();
    refusal_ = OpenRefusal::NotThere;
    if (settings_.portNumber < 1) return false;
    const std::string path = resolveCom(settings_.portNumber);
    if (path.empty()) return false;

    auto device = openPortDevice(path, settings_, &refusal_);
    if (!device) return false;
    // Events reach the window thread through the target; without an application there is no one to post to.
    if (!QCoreApplication::instance() || !target_) return false;

    WorkerOptions options;
    if (!settings_.eventChar.empty()) options.eventChar = static_cast<std::uint8_t>(settings_.eventChar[0]);
    options.timeoutMs = settings_.timeout;
    options.baudRate = settings_.baudRate;
    try {
        worker_ = std::make_shared<PortWorker>(std::move(device), queue_, options);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "tessary: cannot start the port worker: %s\n", ex.what());
        return false;
    }
    identity_ = link::deviceIdentity(path);
    return true;
}

void SerialPort::Close() {
    // A SendData below on the stack holds the worker until its write has ended.
    if (worker_) worker_->requestStop();
    worker_.reset();
    queue_->clear();
}

bool SerialPort::SendData(const SendValue& value) { return SendData(value, {}); }

bool SerialPort::SendData(const SendValue& value, const SendProgress& progress) {
    auto bytes = byteForm(value);
    if (!bytes || !worker_ || sending_) return false;
    if (bytes->empty()) return true;
    sending_ = true;
    const std::shared_ptr<PortWorker> keep = worker_;
    PortWorker& worker = *keep;
    const std::size_t total = bytes->size();
    std::optional<DeliveryHold> hold;
    const bool ok = worker.write(*bytes, [&] {
        if (!hold) hold.emplace();
        if (progress) progress(worker.bytesSent(), total);
        if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    if (ok && progress) progress(total, total);
    sending_ = false;
    return ok;
}

std::unique_ptr<SerialPort> createSerialPortUnit(const std::string& name, const Bytes& block,
                                                 EventSink& sink) {
    auto settings = decodeSerialSettings(block);
    if (!settings) return nullptr;
    auto unit = std::make_unique<SerialPort>(name, *settings, sink);
    if (settings->openOnCreate) unit->Open();
    return unit;
}

SerialPort* findSerialPort(Window& window, std::string_view unit) {
    return dynamic_cast<SerialPort*>(window.find(unit));
}

}  // namespace tessary::link
