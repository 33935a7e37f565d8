// SPDX-License-Identifier: GPL-3.0-or-later
// Connection management on the real main window (offscreen Qt) with ptys as COM ports.
#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/qt/qt_window_host.h"
#include "app/shell/control_states.h"
#include "app/shell/shell_handlers.h"
#include "link/com_ports.h"
#include "link/handlers/link_handlers.h"
#include "link/lost_port_watch.h"
#include "link/port_arrival_watch.h"
#include "link/serial_port.h"
#include "link/usb_adapters.h"
#include "pty_fixture.h"
#include "support/test_services.h"

namespace tessary::link {
namespace {

using namespace tessary::test;

std::string welcome() {
    std::string text;
    for (auto line : shell::kWelcomeLines) text += line;
    return text;
}

std::string portLine(int n) {
    return "Port\xEF\xBC\x9A"
           "COM" +
           std::to_string(n) + "\r\n\r\n";
}

// The console with its real main window; every port number resolved (each Open's, and the watch's after a
// failed scan) is recorded through the resolver seam.
class MainWindow : public ::testing::Test {
  protected:
    MainWindow() {
        host_.setSerialPortFactory([](const UnitDef& def, EventSink& sink) -> std::unique_ptr<Unit> {
            return createSerialPortUnit(def.name, def.serialSettings, sink);
        });
        registerShellHandlers(handlers_);
        registerLinkHandlers(handlers_);
        previous_ = setComResolver([this](int n) {
            attempts.push_back(n);
            return comDevicePath(n);
        });
        previousUsb_ = setUsbDeviceSource([this] { return usbDevices; });
    }
    ~MainWindow() override {
        if (console_) console_->destroyMainWindow();
        console_.reset();
        setComResolver(previous_);
        setUsbDeviceSource(previousUsb_);
    }

    void start() {
        console_ = std::make_unique<Console>(clock, dialogs, host_, handlers_);
        ASSERT_TRUE(console_->createMainWindow(mainWindowDefinition()));
    }
    Window& main() { return console_->main(); }
    HandlerRegistry& handlers() { return handlers_; }
    std::string log() { return main().getText(main_window::kLog, prop::editbox::kContent); }
    void click(std::string_view unit) {
        console_->dispatch(mainWindowDefinition(), std::string(unit), event::kClick, {});
    }
    bool portOpen() { return findSerialPort(main(), main_window::kPort)->isOpen(); }

    // What the operator sees of the connection: caption, Connect disabled, COM list shown and its selection,
    // Break shown, and the machine controls' disabled flags.
    struct Controls {
        std::string caption;
        int connectDisabled, comListShown, selection, breakShown;
        std::vector<int> machineDisabled;
        bool operator==(const Controls&) const = default;
    };
    Controls controls() {
        Controls c{main().getText(main_window::kConnect, prop::button::kCaption),
                   main().getInt(main_window::kConnect, prop::kDisabled),
                   main().getInt(main_window::kComList, prop::kVisible),
                   main().getInt(main_window::kComList, prop::combobox::kSelection),
                   main().getInt(main_window::kDisconnect, prop::kVisible),
                   {}};
        for (auto unit : shell::kMachineControls)
            c.machineDisabled.push_back(main().getInt(unit, prop::kDisabled));
        return c;
    }
    static Controls connected(int selection) {
        return {"Connected", 1, 0, selection, 1, std::vector<int>(20, 0)};
    }
    static Controls disconnected(int selection) {
        return {"Connect", 0, 1, selection, 0, std::vector<int>(20, 1)};
    }

    PortDir dir;
    testing::RecordingDialogs dialogs;
    std::vector<int> attempts;
    std::vector<UsbDevice> usbDevices;  // what the system lists, for the missing-driver line
    testing::ScriptedClock clock;

  protected:
    qt::QtWindowHost host_;
    HandlerRegistry handlers_;
    ComResolver previous_;
    UsbDeviceSource previousUsb_;
    std::unique_ptr<Console> console_;
};

std::vector<int> scanUpTo(int last) {
    std::vector<int> ports = {1};
    for (int n = 1; n <= last; ++n) ports.push_back(n);
    return ports;
}

// The attempts of the start-up scan: the first 32 resolved (the watch for a machine plugged in later looks
// next).
std::vector<int> scanned(const std::vector<int>& attempts) {
    return {attempts.begin(), attempts.begin() + std::min<std::ptrdiff_t>(32, std::ssize(attempts))};
}

TEST_F(MainWindow, StartUpFindsTheMachineOnCom5) {
    Pty machine;
    dir.link(5, machine.slavePath());
    start();
    EXPECT_EQ(attempts, scanUpTo(5));
    EXPECT_EQ(log(), welcome() + "Automatic Connecting...\r\n\r\n" +
                         "Succesed to connected the machine!\r\n\r\n" + portLine(5));
    EXPECT_EQ(controls(), connected(5));
    EXPECT_TRUE(portOpen());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(machine.read(1, 100ms).empty()) << "connecting writes nothing to the machine";
}

TEST_F(MainWindow, TheScansFirstAttemptOpensCom1AndTheLogNamesCom1) {
    Pty machine;
    dir.link(1, machine.slavePath());
    start();
    EXPECT_EQ(attempts, scanUpTo(0));
    EXPECT_TRUE(log().ends_with("Succesed to connected the machine!\r\n\r\n" + portLine(1)));
    EXPECT_EQ(controls(), connected(0)) << "the list keeps its COM0 entry";
}

// A port that another program holds is named, after the usual texts, both by the scan and by Connect.
TEST_F(MainWindow, APortHeldByAnotherProgramIsNamed) {
    Pty machine;
    dir.link(3, machine.slavePath());
    RecordingSink otherSink;
    SerialPort other(main_window::kPort, PortSettings{}, otherSink);
    other.write(prop::serial::kPortNumber, 3);
    ASSERT_TRUE(other.Open());
    const std::string inUse = "COM3 is in use by another program\r\n\r\n";
    start();
    EXPECT_EQ(log(), welcome() + "Automatic Connecting...\r\n\r\n" +
                         "Change another USB port and try again\r\n\r\n" + inUse);
    main().set(main_window::kComList, prop::combobox::kSelection, 3);
    const std::string before = log();
    click(main_window::kConnect);
    EXPECT_EQ(log(), before + "Connecting...\r\n\r\nconnection failed!\r\n\r\n" +
                         "change anyother port and try again\r\n\r\n" + inUse);
    EXPECT_EQ(dialogs.shown.back(), (testing::ShownMessage{"Empty Port", 0, "ERROR"}));
    // Once it lets go, the port connects as any other.
    other.Close();
    click(main_window::kConnect);
    EXPECT_EQ(controls(), connected(3));
}

TEST_F(MainWindow, AMachineThatVanishesDuringTheScanIsPassedOver) {
    Pty leaving, staying;
    dir.link(3, leaving.slavePath());
    dir.link(5, staying.slavePath());
    const ComResolver recording = setComResolver({});
    setComResolver([&](int n) {
        if (n == 3) leaving.closeMaster();
        return recording(n);
    });
    start();
    EXPECT_EQ(attempts, scanUpTo(5));
    EXPECT_EQ(controls(), connected(5));
    EXPECT_TRUE(log().ends_with("Succesed to connected the machine!\r\n\r\n" + portLine(5)));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainWindow, StartUpWithoutPortsTries32TimesAndOffersTheComList) {
    start();
    EXPECT_EQ(scanned(attempts), scanUpTo(31));
    EXPECT_EQ(dialogs.shown,
              (std::vector<testing::ShownMessage>{{"Automatic connection failed !", 0, "Information"}}));
    EXPECT_EQ(log(), welcome() + "Automatic Connecting...\r\n\r\n" +
                         "Change another USB port and try again\r\n\r\n");
    EXPECT_EQ(controls(), disconnected(0));
}

TEST_F(MainWindow, AnAdapterWithoutItsDriverIsNamedAfterEveryFailedConnection) {
    usbDevices = {{0x046D, 0xC52B, "Receiver", true}, {0x1A86, 0x7523, "USB2.0-Serial", true}};
    const std::string named =
        "USB serial adapter CH340/CH341 (1A86:7523, \"USB2.0-Serial\") has no COM port: " +
        std::string(missingDriverAdvice()) + "\r\n\r\n";
    start();
    EXPECT_EQ(log(), welcome() + "Automatic Connecting...\r\n\r\n" +
                         "Change another USB port and try again\r\n\r\n" + named);
    const std::string before = log();
    click(main_window::kConnect);
    EXPECT_EQ(log(), before + "Connecting...\r\n\r\nconnection failed!\r\n\r\n" +
                         "change anyother port and try again\r\n\r\n" + named);
}

TEST_F(MainWindow, AMachineOnCom32IsNotScannedButConnectsByHand) {
    Pty machine;
    dir.link(32, machine.slavePath());
    start();
    EXPECT_EQ(controls(), disconnected(0));
    EXPECT_EQ(scanned(attempts), scanUpTo(31));
    attempts.clear();
    main().set(main_window::kComList, prop::combobox::kSelection, 32);
    click(main_window::kConnect);
    EXPECT_EQ(attempts, std::vector<int>{32});
    EXPECT_EQ(controls(), connected(32));
    EXPECT_TRUE(log().ends_with("Connecting...\r\n\r\nConnected!\r\n\r\n" + portLine(32)));
}

TEST_F(MainWindow, Com0OpensCom1AndTheLogNamesTheOpenedPort) {
    start();
    Pty machine;
    dir.link(1, machine.slavePath());
    attempts.clear();
    click(main_window::kConnect);
    EXPECT_EQ(attempts, std::vector<int>{1});
    EXPECT_EQ(controls(), connected(0));
    EXPECT_TRUE(log().ends_with("Connecting...\r\n\r\nConnected!\r\n\r\n" + portLine(1)));
}

TEST_F(MainWindow, DisconnectThenConnectReopensTheSelectedPort) {
    Pty machine;
    dir.link(5, machine.slavePath());
    start();
    click(main_window::kDisconnect);
    EXPECT_FALSE(portOpen());
    EXPECT_EQ(controls(), disconnected(5));
    EXPECT_TRUE(log().ends_with(portLine(5) + "Disconnected connection\r\n\r\n"));
    {
        RecordingSink sink;
        SerialPort other(main_window::kPort, {}, sink);
        other.write(prop::serial::kPortNumber, 5);
        EXPECT_TRUE(other.Open()) << "Break released the port";
    }
    attempts.clear();
    click(main_window::kConnect);
    EXPECT_EQ(attempts, std::vector<int>{5});
    EXPECT_EQ(controls(), connected(5));
    EXPECT_TRUE(portOpen());
}

TEST_F(MainWindow, AFailedManualConnectionChangesNothingButTheLog) {
    start();
    main().set(main_window::kComList, prop::combobox::kSelection, 7);
    const std::string before = log();
    dialogs.shown.clear();
    click(main_window::kConnect);
    EXPECT_EQ(dialogs.shown, (std::vector<testing::ShownMessage>{{"Empty Port", 0, "ERROR"}}));
    EXPECT_EQ(
        log(),
        before + "Connecting...\r\n\r\nconnection failed!\r\n\r\nchange anyother port and try again\r\n\r\n");
    EXPECT_EQ(controls(), disconnected(7));
    EXPECT_FALSE(portOpen());
}

TEST_F(MainWindow, ReceivedBytesReachTheDataArrivedBindingOnTheWindowThread) {
    std::vector<int> bytes;
    bool otherThread = false;
    handlers().add("positionReport", [&](Console&, const EventArgs& args) {
        bytes.push_back(args.a);
        otherThread |= QThread::currentThread() != qApp->thread();
    });
    Pty machine;
    dir.link(5, machine.slavePath());
    start();
    machine.write({0xFF, 0x01, 0x17, 0x02, 0x2D});
    EXPECT_TRUE(processUntil([&] { return bytes.size() >= 5; }));
    EXPECT_EQ(bytes, (std::vector<int>{0xFF, 0x01, 0x17, 0x02, 0x2D}));
    EXPECT_FALSE(otherThread);
}

TEST_F(MainWindow, AVanishedMachineIsShownDisconnectedAndReopenedWhenItComesBackUnlessBreakWasPressed) {
    const std::string lost(kConnectionLostLine), back = std::string(kReconnectedLine) + portLine(5);
    struct Case {
        const char* what;
        bool pressBreak;
        std::string logAfterLoss;  // what the log gains once the far end is gone
        std::string logAfterReturn;
        Controls afterReturn;
        int pickedMeanwhile = -1;  // another port chosen in the COM list (not connected) while it was away
    };
    const Case cases[] = {
        {"unplugged and plugged in again", false, lost, back, connected(5)},
        {"Break, then unplugged and plugged in again", true, "", "", disconnected(5)},
        {"unplugged, COM7 picked in the list, the lost port back", false, lost, back, connected(5), 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto machine = std::make_unique<Pty>();
        dir.link(5, machine->slavePath());
        start();
        if (c.pressBreak) click(main_window::kDisconnect);
        std::string seen = log();
        const auto gained = [&] {
            const std::string now = log(), added = now.substr(seen.size());
            seen = now;
            return added;
        };
        machine->closeMaster();
        EXPECT_TRUE(processUntil([&] { return !portOpen() && log().ends_with(c.pressBreak ? "" : lost); }));
        processFor(50ms);
        EXPECT_EQ(gained(), c.logAfterLoss);
        EXPECT_EQ(controls(), disconnected(5));
        EXPECT_TRUE(dialogs.shown.empty());
        clock.ticks.tick(LostPortWatch::kLookEvery + 1);
        EXPECT_EQ(gained(), "") << "nothing to reopen while the link leads nowhere";
        if (c.pickedMeanwhile >= 0)
            main().set(main_window::kComList, prop::combobox::kSelection, c.pickedMeanwhile);

        machine = std::make_unique<Pty>();
        dir.link(5, machine->slavePath());
        clock.ticks.tick();
        EXPECT_EQ(gained(), c.logAfterReturn);
        EXPECT_EQ(controls(), c.afterReturn);
        EXPECT_EQ(portOpen(), !c.pressBreak);
        EXPECT_EQ(clock.ticks.live(), 0u) << "nothing is watched once the port is back or after Break";
        console_.reset();
    }
}

TEST_F(MainWindow, AMachinePluggedInAfterAFailedStartUpIsConnectedAsByConnectUntilConnectIsPressed) {
    struct Case {
        const char* what;
        bool pressConnect;  // Connect pressed (on COM0, which fails) before the machine comes
        bool heldCom2;  // instead of a machine plugged in, COM2, held by another program at the scan, let go
        std::string logAfter;
        Controls after;
        std::size_t watching;
    };
    const Case cases[] = {
        {"plugged in as COM3", false, false, "Connecting...\r\n\r\nConnected!\r\n\r\n" + portLine(3),
         connected(3), 0},
        {"Connect pressed first", true, false, "", disconnected(0), 0},
        {"a port there at the scan is no machine plugged in", false, true, "", disconnected(0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pty held, machine;
        RecordingSink sink;
        SerialPort other(main_window::kPort, {}, sink);
        dir.link(2, c.heldCom2 ? held.slavePath() : "/nonexistent");
        dir.link(3, "/nonexistent");
        other.write(prop::serial::kPortNumber, 2);
        ASSERT_EQ(other.Open(), c.heldCom2);
        start();
        ASSERT_EQ(controls(), disconnected(0));
        if (c.pressConnect) click(main_window::kConnect);
        const std::string before = log();
        clock.ticks.tick(PortArrivalWatch::kLookEvery + 1);
        EXPECT_EQ(log(), before) << "nothing new is there yet";

        if (c.heldCom2)
            other.Close();
        else
            dir.link(3, machine.slavePath());
        clock.ticks.tick(PortArrivalWatch::kLookEvery + 1);
        EXPECT_EQ(log().substr(before.size()), c.logAfter);
        EXPECT_EQ(controls(), c.after);
        EXPECT_EQ(clock.ticks.live(), c.watching) << "watched until connected, or Connect is pressed";
        console_.reset();
    }
}

}  // namespace
}  // namespace tessary::link

// Fontconfig keeps its pattern caches until the process ends; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
    // Test discovery runs the program without the tests' environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
