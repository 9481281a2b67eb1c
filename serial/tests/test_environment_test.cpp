// The environment every test program starts from (tests/support/
// test_environment.c): CTest runs this program with the user settings that
// used to leak into tests (TOLK_COMn, a port map file, XDG folders, a time
// zone) and it must see none of them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "tolk.h"

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "<unset>";
}

bool isPrivateFolder(const std::string& path, mode_t mode) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 0777) == mode;
}

class TestEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        // CMake sets this marker beside the hostile settings; TOLK_TEST_*
        // variables are the harness's own and are kept.
        if (std::getenv("TOLK_TEST_HOSTILE") == nullptr)
            GTEST_SKIP() << "run through ctest, which gives this program a hostile environment";
    }
};

TEST_F(TestEnvironment, OutsidePortSettingsAreCleared) {
    EXPECT_EQ(env("TOLK_COM1"), "<unset>");
    EXPECT_EQ(env("TOLK_COM3"), "<unset>");
    EXPECT_EQ(env("TOLK_PORTS_FILE"), "<unset>");
    EXPECT_EQ(env("TOLK_DEVICE_ROOT"), "<unset>");

    char buf[512];
    ASSERT_EQ(SioPortDevice(2, buf, sizeof buf), 3) << "COM3 comes from the built-in table";
    EXPECT_STREQ(buf, "/dev/ttyS2");
    ASSERT_GT(SioPortMapFile(buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), env("XDG_CONFIG_HOME") + "/tolk/ports.conf");
}

TEST_F(TestEnvironment, FoldersAreTheProgramsOwn) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME",
                             "XDG_RUNTIME_DIR"}) {
        const std::string path = env(name);
        EXPECT_EQ(path.rfind("/tmp/kvr-test-env-", 0), 0u) << name << " is " << path;
        EXPECT_TRUE(isPrivateFolder(path, 0700)) << name << " is " << path;
    }
}

TEST_F(TestEnvironment, LocalTimeIsUtc) {
    EXPECT_EQ(env("TZ"), "UTC");
    const std::time_t noon = 12 * 3600;
    std::tm local{};
    ASSERT_NE(::localtime_r(&noon, &local), nullptr);
    EXPECT_EQ(local.tm_hour, 12);
    EXPECT_EQ(local.tm_min, 0);
}

// A child that exits normally (as a forked test helper may) must leave the
// folders to the parent that made them.
TEST(TestEnvironmentFolders, OutliveAForkedChild) {
    const std::string state = env("XDG_STATE_HOME");
    ASSERT_EQ(state.rfind("/tmp/kvr-test-env-", 0), 0u) << state;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) std::exit(0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(isPrivateFolder(state, 0700));
}

}  // namespace
