// kvrdash started where it cannot show its window: it says why and what to
// use instead, and exits with status 1 rather than aborting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "support/program_run.h"

namespace {

// Sets (or, with nothing, unsets) environment variables for one scope.
class EnvironmentFor {
public:
    explicit EnvironmentFor(const std::map<std::string, std::optional<std::string>>& values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }
    ~EnvironmentFor() {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(KvrdashStart, WithoutADisplayItSaysSoAndPointsAtKvrtoolLog) {
    const EnvironmentFor none({{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt},
                               {"QT_QPA_PLATFORM", std::nullopt}});
    const ProgramRun r = runProgram(KVRDASH_PATH, {}, "/tmp");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("DISPLAY and WAYLAND_DISPLAY are not set"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kvrtool log"), std::string::npos) << r.err;
}

TEST(KvrdashStart, ADisplayThatCannotBeOpenedIsNoCrash) {
    // A display number no X server answers on.
    const EnvironmentFor gone({{"DISPLAY", ":987"}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", "xcb"}});
    const ProgramRun r = runProgram(KVRDASH_PATH, {}, "/tmp");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("the display could not be opened"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kvrtool log"), std::string::npos) << r.err;
}

}  // namespace
