// Points COM1..COM40 at chosen devices for one test: the named ones at their
// paths, every other one at a path that does not exist, so what the machine
// happens to have (a /dev/ttyS0, say) does not change the test.
#pragma once

#include <cstdlib>
#include <map>
#include <string>

class PortEnvironment {
public:
    explicit PortEnvironment(const std::map<int, std::string>& devices = {}) {
        for (int com = 1; com <= 40; ++com) {
            auto it = devices.find(com);
            const std::string path = it != devices.end() ? it->second : "/dev/kvr-test-no-port-" + std::to_string(com);
            ::setenv(name(com).c_str(), path.c_str(), 1);
        }
    }
    ~PortEnvironment() {
        for (int com = 1; com <= 40; ++com) ::unsetenv(name(com).c_str());
    }
    static void set(int com, const std::string& path) { ::setenv(name(com).c_str(), path.c_str(), 1); }

private:
    static std::string name(int com) { return "TOLK_COM" + std::to_string(com); }
};
