// A pseudo-terminal for tests: the library opens the slave side by the name
// that TOLK_COM<n> gives it; the test plays the far end on the master side.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

class PtyPair {
public:
    // Creates the pair and names the slave as COM(port+1).
    explicit PtyPair(int port) : port_(port) {
        char name[256];
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
        path_ = name;
        // Raw from the start, so bytes written before the library opens the
        // port are not held back by line editing.
        struct termios t {};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        ::setenv(varName().c_str(), path_.c_str(), 1);
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0) ::close(slave_);
        ::unsetenv(varName().c_str());
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& path() const { return path_; }
    int slaveFd() const { return slave_; }
    int masterFd() const { return master_; }

    // Closes our own slave descriptor, so the library's is the only one.
    void closeSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }
    // The far end goes away: the slave side hangs up.
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    void send(const std::vector<unsigned char>& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                struct pollfd p {master_, POLLOUT, 0};
                ::poll(&p, 1, 100);
            }
        }
    }
    void send(const std::string& s) const { send(std::vector<unsigned char>(s.begin(), s.end())); }

    // Reads from the master side until `count` bytes came or `ms` passed.
    std::vector<unsigned char> receive(size_t count, int ms = 2000) const {
        std::vector<unsigned char> out;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < count && std::chrono::steady_clock::now() < end) {
            unsigned char buf[4096];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                out.insert(out.end(), buf, buf + n);
            } else {
                struct pollfd p {master_, POLLIN, 0};
                ::poll(&p, 1, 20);
            }
        }
        return out;
    }

private:
    std::string varName() const { return "TOLK_COM" + std::to_string(port_ + 1); }

    int port_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Waits until the library sees at least `count` bytes waiting on the port.
template <typename RxQue>
inline int waitForInput(RxQue rxQue, int port, int count, int ms = 2000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int n = rxQue(port);
    while (n >= 0 && n < count && std::chrono::steady_clock::now() < end) {
        ::usleep(1000);
        n = rxQue(port);
    }
    return n;
}
