#include "sim/HostLoop.h"

#include "link/Clock.h"
#include "sim/SimulatedController.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace vtl::sim {

volatile std::sig_atomic_t stopRequested = 0;

namespace {

constexpr int MaxWaitMs = 100;
constexpr std::int64_t StalledUs = 50'000;
constexpr std::int64_t WriteAheadUs = 20'000;

int rateOf(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}

void onStopSignal(int) {
    stopRequested = 1;
}

} // namespace

void stopOnSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int slaveRate(int masterFd) {
    termios settings{};
    if (::tcgetattr(masterFd, &settings) != 0) return 0;
    return rateOf(::cfgetospeed(&settings));
}

namespace {

int waitMs(const SimulatedController& controller, std::int64_t now) {
    const std::int64_t next = controller.nextEventUs();
    if (next == LinePeer::Idle) return MaxWaitMs;
    const std::int64_t ms = (next - now + 999) / 1000;
    return int(std::clamp<std::int64_t>(ms, 0, MaxWaitMs));
}

// Hands every byte that is due to the line, with the bytes due within the next WriteAheadUs, in
// one write; a full line drops what it does not take, as a busy UART would. A controller's UART
// sends a frame without a pause; this process, paced byte by byte, could be left unscheduled
// between two of them for longer than the PC's read time-out, and the PC would miss the frame.
// Written ahead, a frame's head (preamble, header, length: 16 bytes at 9600 baud and above)
// reaches the PC whole, and the rest in few pieces.
void flushOut(SimulatedController& controller, int fd, bool socket) {
    controller.advance(RealClock::instance().nowUs());
    std::vector<std::uint8_t> bytes;
    while (auto byte = controller.transmitAhead(WriteAheadUs))
        bytes.push_back(*byte);
    if (bytes.empty()) return;
    if (socket)
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    else
        (void)!::write(fd, bytes.data(), bytes.size());
}

void deliver(SimulatedController& controller, const std::uint8_t* bytes, ssize_t n,
             std::int64_t heardUs) {
    for (ssize_t i = 0; i < n; ++i)
        controller.receive(bytes[i], heardUs);
}

void printPort(const char* text) {
    std::printf("port: %s\n", text);
    std::fflush(stdout);
}

} // namespace

bool hostOnPty(SimulatedController& controller) {
    int master = -1;
    int slave = -1;
    std::array<char, 256> name{};
    if (::openpty(&master, &slave, name.data(), nullptr, nullptr) != 0) return false;
    termios raw{};
    for (int fd : {slave, master}) {
        ::tcgetattr(fd, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    printPort(name.data());

    int rate = slaveRate(master);
    controller.lineOpened(rate);
    // The loop looks at the line at least every 20 ms. After a longer gap this process was not
    // scheduled (a busy machine): bytes found then may have come at any moment of the gap and
    // count from its start, and the gap itself is not counted as a silence of the PC's.
    std::int64_t lookedUs = RealClock::instance().nowUs();
    std::array<std::uint8_t, 512> chunk{};
    ssize_t n = 0;
    std::int64_t heardUs = 0;
    std::int64_t missedUs = 0;
    auto readChunk = [&] {
        n = ::read(master, chunk.data(), chunk.size());
        const std::int64_t now = RealClock::instance().nowUs();
        missedUs = now - lookedUs > StalledUs ? now - lookedUs : 0;
        heardUs = missedUs ? lookedUs : now;
        lookedUs = now;
    };
    auto take = [&] {
        if (n > 0) deliver(controller, chunk.data(), n, heardUs);
        if (missedUs) controller.overlook(missedUs);
    };
    // Reads what is waiting, following the rate: the program may change it at any time, also
    // while it only listens. A run that closes the line right after its last frame puts its old
    // rate back before this loop has read the whole frame: bytes behind a frame begun belong to
    // that frame, at the rate it began. Other bytes came at the new rate.
    auto readWaiting = [&] {
        readChunk();
        if (const int now = slaveRate(master); now != rate) {
            while (n > 0 && controller.hearingFrame()) {
                take();
                readChunk();
            }
            rate = now;
            controller.lineOpened(rate);
        }
        take();
        return n > 0;
    };
    while (!stopRequested) {
        while (readWaiting()) {
        }
        flushOut(controller, master, false);
        pollfd fd{master, POLLIN, 0};
        const int ready =
            ::poll(&fd, 1, std::min(waitMs(controller, RealClock::instance().nowUs()), 20));
        if (ready > 0 && (fd.revents & POLLIN)) {
            readWaiting();
        } else if (ready > 0) {
            ::usleep(10'000); // a hang-up while nobody has the port open
        }
    }
    ::close(master);
    ::close(slave);
    return true;
}

bool hostOnTcp(SimulatedController& controller, std::uint16_t port) {
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    if (server < 0) return false;
    const int yes = 1;
    ::setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(server, 1) != 0 ||
        ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(server);
        return false;
    }
    const QByteArray text =
        QStringLiteral("tcp://127.0.0.1:%1").arg(ntohs(address.sin_port)).toLatin1();
    printPort(text.constData());

    int client = -1;
    while (!stopRequested) {
        if (client >= 0)
            flushOut(controller, client, true);
        else
            controller.advance(RealClock::instance().nowUs());
        pollfd fd{client >= 0 ? client : server, POLLIN, 0};
        const int ready = ::poll(&fd, 1, waitMs(controller, RealClock::instance().nowUs()));
        if (ready <= 0 || !(fd.revents & (POLLIN | POLLHUP | POLLERR))) continue;
        if (client < 0) {
            client = ::accept(server, nullptr, nullptr);
            // A device server has no rate of its own to tell: the line runs at the controller's.
            if (client >= 0) controller.lineOpened(controller.lineRate());
            continue;
        }
        std::array<std::uint8_t, 512> chunk{};
        const ssize_t n = ::recv(client, chunk.data(), chunk.size(), 0);
        if (n <= 0) {
            ::close(client);
            client = -1;
            controller.lineClosed();
            continue;
        }
        deliver(controller, chunk.data(), n, RealClock::instance().nowUs());
    }
    if (client >= 0) ::close(client);
    ::close(server);
    return true;
}

} // namespace vtl::sim
