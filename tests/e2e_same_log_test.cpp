// The window and kvrtool log keep the same log of the same drive: each runs
// the session and the chart log against its own simulator replaying one
// recorded drive, and the two .KVL files hold the same samples in the same
// order (their times and the count of samples per state differ with the
// moment each run started, not their values).
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>
#include <fstream>

#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/serial_port.h"
#include "dashboard/ui/main_window.h"
#include "support/port_environment.h"
#include "support/private_state.h"
#include "support/recording_dialogs.h"
#include "support/scratch_logs.h"
#include "support/sim_process.h"
#include "tool_process.h"

namespace {

// A drive of six states, each held for 30 records (1.2 s at 25 records a
// second), so every 100 ms sample lands well inside one.
std::string writeDrive(const std::string& dir) {
    const std::string path = dir + "/drive.txt";
    std::ofstream out(path);
    const int throttles[6] = {5, 20, 45, 63, 30, 10};
    for (int state = 0; state < 6; ++state) {
        kvr::LiveFields f;
        f.throttle = throttles[state];
        f.period = static_cast<unsigned>(60000 - state * 8000);
        f.map = state < 3 ? "-12.0" : "  4.5";
        f.afr = state % 2 ? "12.9" : "14.6";
        f.knock = static_cast<unsigned>(state);
        for (int n = 0; n < 30; ++n) out << kvr::sealLiveRecord(kvr::liveRecordBody(f)) << "\n";
    }
    return path;
}

using Digits = std::array<uint16_t, kvr::kTrendChannels>;

// The samples' digits with runs of equal ones made one; separators count as breaks.
std::vector<Digits> statesOf(const std::vector<kvr::TrendRecord>& records, int& separators) {
    std::vector<Digits> states;
    separators = 0;
    for (const kvr::TrendRecord& r : records) {
        if (r.isSeparator()) {
            ++separators;
            continue;
        }
        if (states.empty() || states.back() != r.digits) states.push_back(r.digits);
    }
    return states;
}

template <typename T>
T* withText(QWidget& window, const QString& text) {
    for (T* w : window.findChildren<T*>())
        if (w->text() == text) return w;
    return nullptr;
}

TEST(SameLog, TheWindowAndKvrtoolLogKeepTheSameSamplesOfOneReplay) {
    const std::string dir = makeScratchDir("kvr-samelog");
    const std::string drive = writeDrive(dir);
    const std::vector<std::string> simOptions{"--replay", drive, "--setup-every", "0"};

    std::vector<kvr::TrendRecord> fromTool;
    {
        SimProcess sim(simOptions);
        PortEnvironment env({{3, sim.device()}});
        const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "6", "-o", dir + "/tool"}, dir);
        ASSERT_EQ(r.status, 0) << r.err;
        fromTool = readTrendRecords(dir + "/tool.KVL");
    }

    std::vector<kvr::TrendRecord> fromWindow;
    {
        PrivateStateFolder state;
        SimProcess sim(simOptions);
        PortEnvironment env({{40, sim.device()}});
        kvr::TolkSerialPort port;
        RecordingDialogs dialogs;
        MainWindow window(port, dialogs);
        QRadioButton* go = withText<QRadioButton>(window, "Go");
        QPushButton* open = withText<QPushButton>(window, "Open Com Port");
        ASSERT_TRUE(go && open);
        go->click();
        open->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.core().chartLog.recording(); }, 5000));
        QTest::qWait(6000);
        ASSERT_EQ(window.core().chartLog.saveTo(dir + "/window.KVL"), 0);
        window.core().chartLog.setUnsavedRecords(0);
        fromWindow = readTrendRecords(dir + "/window.KVL");
    }

    int toolBreaks = 0, windowBreaks = 0;
    const std::vector<Digits> tool = statesOf(fromTool, toolBreaks);
    const std::vector<Digits> window = statesOf(fromWindow, windowBreaks);
    EXPECT_EQ(toolBreaks, 0);
    EXPECT_EQ(windowBreaks, 0);
    EXPECT_GT(fromTool.size(), 45u) << "about ten samples a second";
    EXPECT_GT(fromWindow.size(), 45u);
    ASSERT_GE(std::min(tool.size(), window.size()), 4u) << "several states of the drive";
    const size_t common = std::min(tool.size(), window.size());
    for (size_t i = 0; i < common; ++i) EXPECT_EQ(tool[i], window[i]) << "state " << i;
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
