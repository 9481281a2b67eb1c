// Cost of taking received bytes one at a time: the library's SioRxQue +
// SioGetc against a plain loop of 1-byte read(2) calls on the same kind of
// pseudo-terminal, in the same run. Only the draining is timed: the far end
// fills the queue with a chunk, waits until it has all arrived, then the
// clock runs while the reader empties it.
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tolk.h"

namespace {

constexpr size_t kTotal = 1 << 20;  // 1 MiB
constexpr size_t kChunk = 4000;     // fits the terminal's input buffer
constexpr int kPort = 39;           // COM40

struct Pty {
    int master = -1, slave = -1;
    std::string path;
    Pty() {
        char name[256];
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        path = name;
        struct termios t {};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    // Sends a chunk and waits until all of it is in the slave's input queue.
    void fill(const std::vector<unsigned char>& chunk) const {
        size_t done = 0;
        while (done < chunk.size()) {
            ssize_t n = ::write(master, chunk.data() + done, chunk.size() - done);
            if (n > 0) done += static_cast<size_t>(n);
        }
        int queued = 0;
        while (::ioctl(slave, TIOCINQ, &queued) == 0 && queued < static_cast<int>(chunk.size())) {
            ::usleep(50);
        }
    }
};

using Clock = std::chrono::steady_clock;

template <typename Drain>
double nsPerByte(const Pty& pty, Drain drain) {
    std::vector<unsigned char> chunk(kChunk);
    for (size_t i = 0; i < kChunk; ++i) chunk[i] = static_cast<unsigned char>(i);
    Clock::duration spent{};
    unsigned long checksum = 0;
    for (size_t total = 0; total < kTotal; total += kChunk) {
        pty.fill(chunk);
        auto start = Clock::now();
        checksum += drain(kChunk);
        spent += Clock::now() - start;
    }
    if (checksum == 0) std::fprintf(stderr, "no bytes read\n");
    const size_t bytes = ((kTotal + kChunk - 1) / kChunk) * kChunk;
    return std::chrono::duration<double, std::nano>(spent).count() / static_cast<double>(bytes);
}

}  // namespace

int main() {
    double plain = 0;
    {
        Pty pty;
        ::fcntl(pty.slave, F_SETFL, ::fcntl(pty.slave, F_GETFL) | O_NONBLOCK);
        plain = nsPerByte(pty, [&](size_t want) {
            unsigned long sum = 0;
            for (size_t got = 0; got < want;) {
                unsigned char b;
                if (::read(pty.slave, &b, 1) == 1) {
                    sum += b + 1;
                    ++got;
                }
            }
            return sum;
        });
    }
    double library = 0;
    {
        Pty pty;
        ::setenv("TOLK_COM40", pty.path.c_str(), 1);
        if (SioReset(kPort, 8192, 8192) < 0) {
            std::fprintf(stderr, "SioReset failed\n");
            return 1;
        }
        library = nsPerByte(pty, [&](size_t want) {
            unsigned long sum = 0;
            for (size_t got = 0; got < want;) {
                for (int n = SioRxQue(kPort); n > 0; --n) {
                    int c = SioGetc(kPort);
                    if (c < 0) continue;
                    sum += static_cast<unsigned>(c) + 1;
                    ++got;
                }
            }
            return sum;
        });
        SioDone(kPort);
    }
    std::printf("drain 1 MiB one byte at a time from a pseudo-terminal\n");
    std::printf("plain read(2), 1 byte:  %8.1f ns/byte\n", plain);
    std::printf("SioRxQue + SioGetc:     %8.1f ns/byte\n", library);
    std::printf("ratio library/plain:    %8.3f\n", library / plain);
    return 0;
}
