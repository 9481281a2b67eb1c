// kvrtool decode: live records through the dashboard's own framer and
// decoder, one JSON object per decoded record.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "commands.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/memory_serial_port.h"
#include "dashboard/text_numbers.h"
#include "dashboard/logging/log_files.h"
#include "json_writer.h"

namespace kvrtool {
namespace {

std::string hexColor(uint32_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06x", c & 0xFFFFFF);
    return buf;
}

std::string toJson(const kvr::DashboardCore& core, const std::vector<std::string>& memo) {
    const kvr::LiveDisplay& d = core.display;
    JsonObject o;
    o.number("Rpm", core.Rpm)
        .integer("RpmPeriod", core.RpmPeriod)
        .number("MapValue", core.MapValue)
        .number("AfrValue", core.AfrValue)
        .number("O2Volts", core.O2Volts)
        .integer("Ignition", core.Ignition)
        .integer("ThrottlePos", core.ThrottlePos)
        .integer("KnockCount", core.KnockCount)
        .number("InjPulseMs", core.InjPulseMs)
        .integer("OutputFlags", core.OutputFlags)
        .string("DutyText", kvr::latin1ToUtf8(core.DutyText));
    const char* meters[6] = {"Ab270Meter1", "Ab270Meter2", "Ab270Meter3", "Ab270Meter4", "Ab270Meter5", "Ab270Meter6"};
    for (int i = 0; i < 6; ++i) o.single(meters[i], d.meter[i]);
    o.string("Ab270Meter3Unit", d.meterSettings[2].unit)
        .string("MP", d.MP)
        .string("ET", d.ET)
        .string("INJPW", d.INJPW)
        .string("AT", d.AT)
        .string("KNOB", d.KNOB)
        .string("DTY", d.DTY)
        .string("BATT", d.BATT)
        .string("AFR", d.AFR)
        .string("Label7", d.Label7)
        .integer("MPFontSize", d.MPFontSize)
        .boolean("AbLED1", d.AbLED1)
        .boolean("AbLED2", core.out.AbLED2)
        .boolean("AbLED3", core.out.AbLED3)
        .boolean("AbLED4", core.out.AbLED4);
    for (int i = 0; i < 5; ++i) {
        JsonObject p;
        p.string("text", d.panels[i].text).string("color", hexColor(d.panels[i].color));
        o.object(kvr::kPanelNames[i], p);
    }
    const char* channels[8] = {"Channel1", "Channel2", "Channel3", "Channel4",
                               "Channel5", "Channel6", "Channel7", "Channel8"};
    for (int i = 0; i < 8; ++i) o.single(channels[i], d.channel[i]);
    o.boolean("logging", d.recording).strings("memo", memo);
    return o.text();
}

}  // namespace

int runDecode(const Args& args) {
    std::string valuesFile, input;
    int logEnable = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--values" && i + 1 < args.size()) {
            valuesFile = args[++i];
        } else if (args[i] == "--log-enable" && i + 1 < args.size()) {
            const auto n = kvr::decimalNumber(args[++i]);
            if (!n || *n < 0 || *n > 3) return usageError("decode", "--log-enable takes 0, 1, 2 or 3");
            logEnable = static_cast<int>(*n);
        } else if (!args[i].empty() && args[i][0] == '-' && args[i] != "-") {
            return usageError("decode", "unknown option " + args[i]);
        } else if (input.empty()) {
            input = args[i];
        } else {
            return usageError("decode", "one input file at most");
        }
    }

    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    port.reset(0, 8192, 8192);
    kvr::DashboardCore core(port);
    core.PortNumber = 0;
    core.PortOpen = true;
    core.in.logselectbutton = logEnable;
    if (!valuesFile.empty()) {
        kvr::ValuesFile file;
        std::string error;
        if (!kvr::readValuesFile(valuesFile, file, error)) {
            std::fprintf(stderr, "kvrtool decode: %s\n", error.c_str());
            return 1;
        }
        // As if the image had just passed its checksum after a fetch.
        core.ValuesSource = "ecu";
        core.ValuesText = file.valuesText;
        core.FillParameterSheets();
        if (core.out.sheetFills == 0) {
            std::fprintf(stderr, "kvrtool decode: %s holds no values image that can be decoded\n",
                         valuesFile.c_str());
            return 1;
        }
    }
    // Polling runs and the framer drains, as once an image is held.
    core.FetchState = 2;
    core.ValuesLoaded = true;
    core.ChartRescaled = true;
    core.LOG_FREQUENCY();
    core.out.memoLines.clear();

    std::ifstream file;
    std::istream* in = &std::cin;
    if (!input.empty() && input != "-") {
        file.open(input, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "kvrtool decode: cannot read %s\n", input.c_str());
            return 1;
        }
        in = &file;
    }
    std::vector<std::string> memo;
    int decoded = 0;
    core.onLiveRecord = [&] { ++decoded; };
    for (std::string line; std::getline(*in, line);) {
        port.feed(line + "\n");
        const int before = decoded;
        core.Timer1Timer();
        for (auto& m : core.out.memoLines) memo.push_back(kvr::latin1ToUtf8(m));
        core.out.memoLines.clear();
        if (decoded != before) {
            std::printf("%s\n", toJson(core, memo).c_str());
            memo.clear();
        }
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace kvrtool
