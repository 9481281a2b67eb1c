// The receive framer and the live-record decoder, fed a byte stream that the
// input cuts into polling ticks, with or without a values image held, and the
// display applied to a log chart and six dial meters as the window applies it.
//
// Input: one byte of choices, then (when the image comes from the input) a
// 16-bit length and that many bytes of a values file, then chunks: a length
// byte and that many received bytes, one polling tick after each chunk.
//
// Choices: bit 0 an image is held; bit 1 it is the simulator's built-in one
// (otherwise the values file in the input, or an unreadable path with bit 4);
// bits 2-3 "Log Chart Enable".
#include <cmath>
#include <cstdint>
#include <memory>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/cursor_readout.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/link/memory_serial_port.h"
#include "default_values_image.h"
#include "fuzz_input.h"
#include "widgets/model/meter_model.h"
#include "widgets/model/trend_recorder.h"

namespace {

using kvrfuzz::ByteReader;

// Loads the values file as `kvrtool decode --values` does. False when the
// file cannot be read or holds no image that decodes: the core then runs on
// without one, as a dashboard that has not fetched one yet.
bool holdValuesFile(kvr::DashboardCore& core, const std::string& path) {
    kvr::ValuesFile file;
    std::string error;
    if (!kvr::readValuesFile(path, file, error)) {
        KVRFUZZ_CHECK(!error.empty());
        return false;
    }
    core.session.valuesSource = "ecu";
    core.session.valuesText = file.valuesText;
    core.fillSheets();
    if (core.out.sheetFills == 0) {
        core.session.valuesText.clear();
        return false;
    }
    return true;
}

void applyMeter(kvr::MeterModel& m, const kvr::MeterSettings& s, float value) {
    auto& signal = m.SignalSettings();
    signal.setValueUnit(s.unit);
    m.ScaleSettings.ValueFormat = s.scaleFormat;
    m.ScaleSettings.Steps = s.steps;
    signal.setValueFrom(s.from);
    signal.setValueTo(s.to);
    m.setValue(value);

    KVRFUZZ_CHECK(m.heldPosition() >= 0 && m.heldPosition() <= 1000);
    // A value beyond the top of the scale never shows below its bottom.
    if (std::isfinite(value) && value > signal.ValueTo() && signal.ValueTo() > signal.ValueFrom())
        KVRFUZZ_CHECK(!m.lowOverflow());
    KVRFUZZ_CHECK(!m.valueText().empty());
    for (int step = 0; step <= m.ScaleSettings.Steps && step <= 20; ++step) (void)m.scaleLabel(step);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string builtInImage = kvrsim::defaultValuesImage();
    static const kvrfuzz::ScratchFile valuesFile("live.KVV");

    ByteReader in(data, size);
    const uint8_t choices = in.byte();

    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    port.reset(0, 8192, 8192);
    auto core = std::make_unique<kvr::DashboardCore>(port);
    kvr::Session& session = core->session;
    session.portNumber = 0;
    session.portOpen = true;
    core->chartLog.setLoggingSwitch((choices >> 2) & 3);
    if (choices & 1) {
        if (choices & 2) {
            session.valuesSource = "ecu";
            session.valuesText = builtInImage;
            core->fillSheets();
        } else if (choices & 16) {
            KVRFUZZ_CHECK(!holdValuesFile(*core, kvrfuzz::unreadablePath()));
        } else {
            valuesFile.write(in.bytes(in.word()));
            holdValuesFile(*core, valuesFile.path());
        }
    }
    session.fetchState = 2;
    session.valuesLoaded = true;
    session.valuesInUse = true;
    session.setDataInterval(session.dataIntervalText);
    core->chartLog.wallClock = [] { return 45000.5; };
    auto meters = std::make_unique<kvr::MeterModel[]>(6);

    while (!in.empty()) {
        port.feed(in.bytes(in.byte()));
        core->messages.lines.clear();
        const uint64_t revision = core->gauges.display.revision;
        session.tick();
        if (core->gauges.display.revision == revision) continue;

        const kvr::LiveDisplay& d = core->gauges.display;
        core->chartLog.rangeRequests.clear();
        core->chartLog.takeSample();
        for (int i = 0; i < 6; ++i) applyMeter(meters[i], d.meterSettings[i], d.meter[i]);

        // The chart log's newest record reads back on its channels as the cursor reads it.
        const kvr::TrendStore& store = core->chartLog.store();
        if (store.empty()) continue;
        float readBack[8];
        for (int n = 1; n <= 8; ++n)
            readBack[n - 1] = kvr::readBackValue(core->chartLog.channel(n), store.back().digits[n - 1]);
        KVRFUZZ_CHECK(!kvr::cursorReadout(readBack).empty());
    }
    return 0;
}
