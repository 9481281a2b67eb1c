// Runs kvrtool as a child process with its output in files, optionally
// sends it a signal after a delay, and times it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

struct ToolResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
    double seconds = 0;  // wall time from start to exit
    double secondsAfterSignal = 0;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `signalAfter` > 0: sends `sig` that many seconds after the start.
inline ToolResult runTool(const std::vector<std::string>& args, const std::string& scratchDir,
                          double signalAfter = 0, int sig = SIGINT) {
    const std::string outPath = scratchDir + "/tool.out", errPath = scratchDir + "/tool.err";
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<std::string> all{KVRTOOL_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ToolResult r;
    auto signalledAt = start;
    if (signalAfter > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(signalAfter));
        ::kill(pid, sig);
        signalledAt = std::chrono::steady_clock::now();
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.seconds = std::chrono::duration<double>(end - start).count();
    r.secondsAfterSignal = std::chrono::duration<double>(end - signalledAt).count();
    r.out = readWholeFile(outPath);
    r.err = readWholeFile(errPath);
    return r;
}
