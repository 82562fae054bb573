#include "tests/support/Pty.h"

#include "sim/HostLoop.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>

namespace vtl::test {

Pty::Pty() {
    std::array<char, 256> name{};
    if (::openpty(&master_, &slave_, name.data(), nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    ::tcgetattr(master_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(master_, TCSANOW, &raw);
    slavePath_ = QString::fromLocal8Bit(name.data());
}

Pty::~Pty() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

void Pty::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

void Pty::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return;
        done += std::size_t(n);
    }
}

std::vector<std::uint8_t> Pty::readAvailable(int timeoutMs) {
    std::vector<std::uint8_t> bytes;
    pollfd fd{master_, POLLIN, 0};
    while (::poll(&fd, 1, timeoutMs) > 0 && (fd.revents & POLLIN)) {
        std::array<std::uint8_t, 512> chunk{};
        const auto n = ::read(master_, chunk.data(), chunk.size());
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
    }
    return bytes;
}

std::size_t Pty::fillTowardsMaster() {
    const int fd = ::open(slavePath_.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return 0;
    std::size_t total = 0;
    const std::vector<std::uint8_t> chunk(256, 0x55);
    for (;;) {
        const auto n = ::write(fd, chunk.data(), chunk.size());
        if (n <= 0) break;
        total += std::size_t(n);
    }
    ::close(fd);
    return total;
}

int Pty::slaveBaudRate() const {
    return sim::slaveRate(master_);
}

void Pty::setWindowSize(int columns, int rows) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    ::ioctl(master_, TIOCSWINSZ, &size);
}

} // namespace vtl::test
