// SPDX-License-Identifier: GPL-3.0-or-later
// tessary-pty-relay: the Linux end of the serial tests of the Windows build under wine. A Windows program
// cannot reach the master side of a pseudo-terminal, so the test fixture starts this program (wine runs Linux
// programs), which connects back to it on 127.0.0.1:PORT and then, for the life of that connection, either
//   pty    holds a new pseudo-terminal and serves requests on its master: the machine's end of the line, or
//   ports  holds the wine prefix's COM ports for the test (a lock file, so that tests never share them) and
//          points $WINEPREFIX/dosdevices/comN where the test asks; the links go when the connection does.
// Usage: tessary-pty-relay PORT pty|ports
// Requests are a text line, some followed by bytes; answers are "ok ..." or "error ...":
//   write N <N bytes>   read COUNT QUIET_MS (answer "ok N" and N bytes)   line   close   link N TARGET
//   paced-read COUNT BYTES_PER_SECOND QUIET_MS (as read, no faster than the rate)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../posix/paced_read.h"
#include "../posix/tty_line_of.h"

namespace {

using Bytes = std::vector<unsigned char>;

int connection = -1;  // to the test program

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "tessary-pty-relay: %s (%s)\n", why.c_str(), std::strerror(errno));
    std::exit(1);
}

bool receive(void* data, std::size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(connection, p, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool receiveLine(std::string& line) {
    line.clear();
    char c = 0;
    while (receive(&c, 1)) {
        if (c == '\n') return true;
        line += c;
    }
    return false;
}

void send(const std::string& text, const Bytes& payload = {}) {
    std::string all = text + "\n";
    all.append(payload.begin(), payload.end());
    std::size_t done = 0;
    while (done < all.size()) {
        const ssize_t n = ::send(connection, all.data() + done, all.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) std::exit(0);  // the test program has gone
        done += static_cast<std::size_t>(n);
    }
}

bool writeAll(int fd, const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

// Bytes from fd until `count` arrived or nothing came for `quietMs`.
Bytes gather(int fd, std::size_t count, int quietMs) {
    Bytes out;
    unsigned char buffer[4096];
    while (fd >= 0 && out.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0) break;
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - out.size()));
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

int servePty() {
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) die("cannot create a pseudo-terminal");
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    send(std::string("ok ") + name);
    std::string line;
    while (receiveLine(line)) {
        std::istringstream request(line);
        std::string verb;
        request >> verb;
        if (verb == "write") {
            std::size_t n = 0;
            request >> n;
            Bytes bytes(n);
            if (!receive(bytes.data(), n)) break;
            const bool written = master >= 0 && writeAll(master, bytes);
            // A poll on the slave moves the bytes into its input queue at once, where a driver holds received
            // bytes, instead of whenever the kernel's worker gets to it.
            pollfd p{slave, POLLIN, 0};
            ::poll(&p, 1, 0);
            send(written ? "ok" : "error the master is closed");
        } else if (verb == "read") {
            std::size_t count = 0;
            int quiet = 0;
            request >> count >> quiet;
            const Bytes got = gather(master, count, quiet);
            send("ok " + std::to_string(got.size()), got);
        } else if (verb == "paced-read") {
            std::size_t count = 0;
            int rate = 0, quiet = 0;
            request >> count >> rate >> quiet;
            const Bytes got = tessary::test::pacedRead(master, count, rate, quiet);
            send("ok " + std::to_string(got.size()), got);
        } else if (verb == "line") {
            const tessary::test::TtyLine l = tessary::test::ttyLineOf(slave);
            std::ostringstream out;
            out << "ok " << l.baud << ' ' << l.dataBits << ' ' << l.stopBits << ' ' << l.parity << ' '
                << l.rtsCts << ' ' << l.xonXoff << ' ' << l.raw;
            send(out.str());
        } else if (verb == "close") {
            if (master >= 0) ::close(master);
            master = -1;
            send("ok");
        } else {
            send("error unknown request: " + line);
        }
    }
    return 0;
}

std::string comLink(const std::string& dosdevices, int n) { return dosdevices + "/com" + std::to_string(n); }

// Every COM link of the prefix: leftovers of a test that did not end cleanly, or a real port wine linked.
void unlinkPorts(const std::string& dosdevices) {
    for (int n = 1; n <= 256; ++n) {
        struct stat st {};
        if (::lstat(comLink(dosdevices, n).c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(comLink(dosdevices, n).c_str());
    }
}

int servePorts() {
    const char* prefix = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    const std::string root = prefix && *prefix ? prefix : std::string(home ? home : "") + "/.wine";
    const std::string dosdevices = root + "/dosdevices";
    struct stat st {};
    if (::stat(dosdevices.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) die("no wine prefix at " + root);
    const int lock = ::open((root + "/tessary-com-ports.lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    if (lock < 0) die("cannot open the port lock");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            send("error another test has held the COM ports for five minutes");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    unlinkPorts(dosdevices);
    send("ok");
    std::string line;
    while (receiveLine(line)) {
        std::istringstream request(line);
        std::string verb, target;
        int n = 0;
        request >> verb >> n;
        std::getline(request >> std::ws, target);
        if (verb != "link" || n < 1 || n > 255 || target.empty()) {
            send("error bad request: " + line);
            continue;
        }
        const std::string path = comLink(dosdevices, n);
        ::unlink(path.c_str());
        send(::symlink(target.c_str(), path.c_str()) == 0 ? "ok" : "error cannot link " + path);
    }
    unlinkPorts(dosdevices);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tessary-pty-relay PORT pty|ports\n");
        return 2;
    }
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        ::dup2(devNull, 0);
        ::dup2(devNull, 1);
    }
    connection = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connection < 0 || ::connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        die("cannot connect to the test program");
    const int one = 1;
    ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const std::string mode = argv[2];
    if (mode == "pty") return servePty();
    if (mode == "ports") return servePorts();
    die("unknown mode " + mode);
}
