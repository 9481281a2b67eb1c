// Runs kvrtool as a child process with its output in files, optionally
// sends it a signal after a delay, and times it.
#pragma once

#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/program_run.h"

struct ToolResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
    double seconds = 0;  // wall time from start to exit
    double secondsAfterSignal = 0;
};

inline std::string readWholeFile(const std::string& path) { return fileBytes(path); }

// `signalAfter` > 0: sends `sig` that many seconds after the start.
inline ToolResult runTool(const std::vector<std::string>& args, const std::string& scratchDir,
                          double signalAfter = 0, int sig = SIGINT) {
    const std::string outPath = scratchDir + "/tool.out", errPath = scratchDir + "/tool.err";
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = startProgram(KVRTOOL_PATH, args, outPath, errPath);
    ToolResult r;
    auto signalledAt = start;
    if (signalAfter > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(signalAfter));
        ::kill(pid, sig);
        signalledAt = std::chrono::steady_clock::now();
    }
    r.status = waitForProgram(pid);
    const auto end = std::chrono::steady_clock::now();
    r.seconds = std::chrono::duration<double>(end - start).count();
    r.secondsAfterSignal = std::chrono::duration<double>(end - signalledAt).count();
    r.out = readWholeFile(outPath);
    r.err = readWholeFile(errPath);
    return r;
}
