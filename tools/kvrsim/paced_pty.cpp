#include "paced_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace kvrsim {

PacedPty::PacedPty(unsigned bitRate) : bytesPerSecond_(bitRate / 10.0) {
    char name[256];
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("cannot open a pseudo-terminal");
    }
    path_ = name;
    struct termios t {};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PacedPty::~PacedPty() {
    hangUp();
    if (slave_ >= 0) ::close(slave_);
}

void PacedPty::hangUp() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

std::string PacedPty::service(int waitMs, double now) {
    std::string in;
    if (master_ < 0) return in;
    // Output first, so an answer queued since the last call starts at once,
    // as a UART starts sending the moment its idle line is given a byte.
    // The line carries bytesPerSecond_, no faster, and a quiet spell does
    // not bank up a burst.
    if (lastService_ >= 0) credit_ += (now - lastService_) * bytesPerSecond_;
    lastService_ = now;
    if (pending_.empty()) credit_ = std::min(credit_, 1.0);
    const size_t allowed = std::min(pending_.size(), static_cast<size_t>(credit_));
    if (allowed > 0) {
        const ssize_t n = ::write(master_, pending_.data(), allowed);
        if (n > 0) {
            pending_.erase(0, static_cast<size_t>(n));
            credit_ -= static_cast<double>(n);
            written_ += static_cast<uint64_t>(n);
        }
    }
    // While bytes wait to go out, wake often enough to keep the pace smooth.
    struct pollfd p {master_, POLLIN, 0};
    if (::poll(&p, 1, pending_.empty() ? waitMs : std::min(waitMs, 1)) > 0 && (p.revents & POLLIN)) {
        char buf[512];
        ssize_t n;
        while ((n = ::read(master_, buf, sizeof buf)) > 0) in.append(buf, static_cast<size_t>(n));
    }
    return in;
}

}  // namespace kvrsim
