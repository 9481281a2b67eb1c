// Runs the ECU simulator (kvrsim) as a child process for end-to-end tests
// and learns its device from the first line it prints.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& options = {}) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<std::string> args{KVRSIM_PATH};
            args.insert(args.end(), options.begin(), options.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        struct pollfd p {out[0], POLLIN, 0};
        while (line.find('\n') == std::string::npos && ::poll(&p, 1, 5000) > 0) {
            char buf[256];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            line.append(buf, static_cast<size_t>(n));
        }
        ::close(out[0]);
        device_ = line.substr(0, line.find('\n'));
        if (device_.empty()) throw std::runtime_error("kvrsim printed no device");
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& device() const { return device_; }
    // SIGSTOP makes the ECU fall silent with its line still up; SIGCONT wakes it.
    void signal(int sig) const {
        if (pid_ > 0) ::kill(pid_, sig);
    }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGCONT);
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    std::string device_;
};
