// Runs a program to its end in a scratch folder, with standard input from a
// file and its output collected, for tests of command-line behaviour.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
};

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Starts `program` with `args`, its standard output and error in files.
// Standard input comes from `stdinPath`, or is inherited when that is empty;
// the child changes to `workDir` when one is given. `appendOut` keeps what
// the output file already holds.
inline pid_t startProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& outPath, const std::string& errPath,
                          const std::string& stdinPath = "", const std::string& workDir = "",
                          bool appendOut = false) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        const int in = stdinPath.empty() ? STDIN_FILENO : ::open(stdinPath.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | (appendOut ? 0 : O_TRUNC), 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || (!workDir.empty() && ::chdir(workDir.c_str()) != 0)) ::_exit(126);
        if (in != STDIN_FILENO) ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Waits for a child; its exit status, or -1 when it did not exit normally.
inline int waitForProgram(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// `dir` is the program's working folder and holds its output files; standard
// output goes to `stdoutPath` instead when one is given (then `out` is empty).
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& dir, const std::string& stdinPath = "/dev/null",
                             const std::string& stdoutPath = "") {
    const std::string outPath = stdoutPath.empty() ? dir + "/.program.out" : stdoutPath;
    const std::string errPath = dir + "/.program.err";
    const pid_t pid = startProgram(program, args, outPath, errPath, stdinPath, dir, !stdoutPath.empty());
    ProgramRun r;
    r.status = waitForProgram(pid);
    if (stdoutPath.empty()) r.out = fileBytes(outPath);
    r.err = fileBytes(errPath);
    return r;
}
