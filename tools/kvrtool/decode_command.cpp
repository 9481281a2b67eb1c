// kvrtool decode: live records through the dashboard's own framer and
// decoder, one JSON object per decoded record.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands.h"
#include "counted.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/decode/text_numbers.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/log_files.h"
#include "json_writer.h"
#include "values_input.h"

namespace kvrtool {
namespace {

std::string hexColor(uint32_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06x", c & 0xFFFFFF);
    return buf;
}

std::string toJson(const kvr::DashboardCore& core, const std::vector<std::string>& memo) {
    const kvr::LiveDisplay& d = core.gauges.display;
    const kvr::LiveValues& v = core.gauges.values;
    const kvr::SessionStatus& status = core.session.status;
    JsonObject o;
    o.number("Rpm", v.rpm)
        .integer("RpmPeriod", v.rpmPeriod)
        .number("MapValue", v.map)
        .number("AfrValue", v.afr)
        .number("O2Volts", v.o2Volts)
        .integer("Ignition", v.ignition)
        .integer("ThrottlePos", v.throttle)
        .integer("KnockCount", v.knock)
        .number("InjPulseMs", v.pulseMs)
        .integer("OutputFlags", v.outputs)
        .string("DutyText", kvr::latin1ToUtf8(v.dutyText));
    const char* meters[6] = {"Ab270Meter1", "Ab270Meter2", "Ab270Meter3", "Ab270Meter4", "Ab270Meter5", "Ab270Meter6"};
    for (int i = 0; i < 6; ++i) o.single(meters[i], d.meter[i]);
    o.string("Ab270Meter3Unit", d.meterSettings[kvr::kMixtureMeter].unit)
        .string("MP", d.mapText)
        .string("ET", d.engineTemp)
        .string("INJPW", d.pulseWidth)
        .string("AT", d.airTemp)
        .string("KNOB", d.knob)
        .string("DTY", d.duty)
        .string("BATT", d.battery)
        .string("AFR", d.mixture)
        .string("Label7", d.softwareVersion)
        .integer("MPFontSize", d.mapFontSize)
        .boolean("AbLED1", d.checkLight)
        .boolean("AbLED2", core.chartLog.rules.on)
        .boolean("AbLED3", status.receiving)
        .boolean("AbLED4", status.dataError);
    for (int i = 0; i < 5; ++i) {
        JsonObject p;
        p.string("text", d.panels[i].text).string("color", hexColor(d.panels[i].color));
        o.object(kvr::kPanelNames[i], p);
    }
    const char* channels[8] = {"Channel1", "Channel2", "Channel3", "Channel4",
                               "Channel5", "Channel6", "Channel7", "Channel8"};
    for (int i = 0; i < 8; ++i) o.single(channels[i], v.channel[i]);
    o.boolean("logging", core.chartLog.rules.on).strings("memo", memo);
    return o.text();
}

// Counts the records the session decodes.
struct DecodedRecords : kvr::RecordSink {
    int count = 0;
    void onRecord(const kvr::LiveRecord&) override { ++count; }
};

// Opens a file of live records. A directory is refused here: fopen accepts
// one, and only the first read would fail.
FILE* openInput(const std::string& path, std::string& error) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(::fileno(in), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(in);
        error = "cannot read " + path + ": " + std::strerror(EISDIR);
        return nullptr;
    }
    return in;
}

struct DecodeOptions {
    std::string valuesFile;
    std::string input;
    int logEnable = 0;
};

int parseDecodeOptions(const Args& args, DecodeOptions& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--values" || args[i] == "--log-enable") &&
            (i + 1 == args.size() || args[i + 1].empty())) {
            return usageError("decode", args[i] + " needs a value");
        } else if (args[i] == "--values") {
            o.valuesFile = args[++i];
        } else if (args[i] == "--log-enable") {
            const auto n = kvr::decimalNumber(args[++i]);
            if (!n || *n < 0 || *n > 3) return usageError("decode", "--log-enable takes 0, 1, 2 or 3");
            o.logEnable = static_cast<int>(*n);
        } else if (!args[i].empty() && args[i][0] == '-' && args[i] != "-") {
            return usageError("decode", "unknown option " + args[i]);
        } else if (o.input.empty()) {
            o.input = args[i];
        } else {
            return usageError("decode", "one input file at most");
        }
    }
    return 0;
}

// The values image of the file held as if just fetched, and the session
// polling with it. False, with the reason on stderr, when the file holds none.
bool holdValues(kvr::DashboardCore& core, const std::string& valuesFile) {
    kvr::Session& session = core.session;
    if (!valuesFile.empty()) {
        // A fetched image is whole; a shorter line 1 is not one, as loading a log judges it.
        kvr::ValuesFile file;
        if (!readValuesImage("decode", valuesFile, file)) return false;
        session.valuesSource = "ecu";
        session.valuesText = file.valuesText;
        core.fillSheets();
        if (core.out.sheetFills == 0) {
            std::fprintf(stderr, "kvrtool decode: %s holds no values image that can be decoded\n",
                         valuesFile.c_str());
            return false;
        }
    }
    // Polling runs and the framer drains, as once an image is held.
    session.fetchState = 2;
    session.valuesLoaded = true;
    session.valuesInUse = true;
    session.setDataInterval(session.dataIntervalText);
    core.messages.lines.clear();
    return true;
}

// The end of a run: what went wrong, if anything, on stderr.
int finishDecode(const std::string& inputName, int readError, int decoded, long lines) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kvrtool decode: cannot write to standard output: %s\n", std::strerror(errno));
        return 1;
    }
    if (readError != 0) {
        std::fprintf(stderr, "kvrtool decode: cannot read %s: %s\n", inputName.c_str(), std::strerror(readError));
        return 1;
    }
    if (decoded == 0) {
        std::fprintf(stderr, "kvrtool decode: no live record in %s (%s read)\n", inputName.c_str(),
                     counted(lines, "line").c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int runDecode(const Args& args) {
    DecodeOptions options;
    if (const int r = parseDecodeOptions(args, options)) return r;

    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    port.reset(0, 8192, 8192);
    kvr::DashboardCore core(port);
    core.session.portNumber = 0;
    core.session.portOpen = true;
    core.chartLog.rules.loggingSwitch = options.logEnable;
    if (!holdValues(core, options.valuesFile)) return 1;

    const std::string& input = options.input;
    const bool fromStdin = input.empty() || input == "-";
    const std::string inputName = fromStdin ? std::string("standard input") : input;
    std::string error;
    FILE* in = fromStdin ? stdin : openInput(input, error);
    if (in == nullptr) {
        std::fprintf(stderr, "kvrtool decode: %s\n", error.c_str());
        return 1;
    }
    // Typed records are rare; someone at a terminal more likely forgot the file name.
    if (fromStdin && ::isatty(STDIN_FILENO))
        std::fprintf(stderr,
                     "kvrtool decode: reading records from standard input (Ctrl-D ends); give a file to "
                     "read one\n");
    std::vector<std::string> memo;
    DecodedRecords decoded;
    core.session.addSink(decoded);
    long lines = 0;
    char* buffer = nullptr;
    std::size_t capacity = 0;
    errno = 0;
    // Each line arrives in the receive queue with its LF; one polling tick follows.
    for (ssize_t n; (n = ::getline(&buffer, &capacity, in)) >= 0; errno = 0) {
        std::string line(buffer, static_cast<std::size_t>(n));
        if (!line.empty() && line.back() == '\n') line.pop_back();
        ++lines;
        port.feed(line + "\n");
        const int before = decoded.count;
        core.session.tick();
        for (auto& m : core.messages.lines) memo.push_back(kvr::latin1ToUtf8(m));
        core.messages.lines.clear();
        if (decoded.count != before) {
            std::printf("%s\n", toJson(core, memo).c_str());
            memo.clear();
        }
    }
    const int readError = std::ferror(in) ? (errno != 0 ? errno : EIO) : 0;
    std::free(buffer);
    if (!fromStdin) std::fclose(in);
    return finishDecode(inputName, readError, decoded.count, lines);
}

}  // namespace kvrtool
