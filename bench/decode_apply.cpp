// Cost of one live record on the Gauges tab: decoding it in the core and
// copying the result onto the widgets, offscreen, over 10,000 records from
// the simulator's engine model. Prints the median and the worst time.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/main_window.h"
#include "engine_model.h"
#include "support/private_state.h"
#include "support/recording_dialogs.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const PrivateStateFolder state;  // no recovery logs of the user's offered
    QApplication app(argc, argv);
    kvr::MemorySerialPort port;  // no ports: the start-up scan finds none
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.show();
    QApplication::processEvents();

    kvr::DashboardCore& core = form.core();
    std::string image = ")" + std::string(2238, '0');
    image.replace(7, 2, "04");
    core.session.valuesText = kvr::sealImageText(image);
    core.session.softwareVersion = 3100;

    constexpr int kRecords = 10000;
    kvrsim::EngineModel engine(kvrsim::EngineSettings{});
    std::vector<std::string> records;
    records.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) records.push_back(kvr::sealLiveRecord(kvr::liveRecordBody(engine.at(i * 0.04))));

    std::vector<double> micros;
    micros.reserve(kRecords);
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < kRecords; ++i) {
        const auto start = Clock::now();
        core.session.deliverRecord(records[static_cast<size_t>(i)]);
        form.applyDisplay();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        // Let the widgets paint now and then, as the event loop would between ticks.
        if (i % 25 == 0) QApplication::processEvents();
    }
    std::sort(micros.begin(), micros.end());
    std::printf("decode + apply one live record, %d records, offscreen\n", kRecords);
    std::printf("median: %8.1f us\n", micros[micros.size() / 2]);
    std::printf("p99:    %8.1f us\n", micros[micros.size() * 99 / 100]);
    std::printf("worst:  %8.1f us\n", micros.back());
    return 0;
}
