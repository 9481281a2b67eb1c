// The command lines of kvrtool and kvrsim: input a command cannot read is
// refused with one line and status 1, bad usage gives status 2, a log cut
// short is still read, "-o -" is standard output, --help and --version.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>

#include "dashboard/link/ecu_lines.h"
#include "dashboard/logging/log_files.h"
#include "default_values_image.h"
#include "kvr_version.h"
#include "support/csv_rows.h"
#include "support/program_run.h"
#include "dashboard/logging/trend_record.h"

namespace {

std::string scratchDir() {
    char dir[] = "/tmp/kvr-cmdline-XXXXXX";
    if (::mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp");
    return dir;
}

ProgramRun kvrtool(const std::vector<std::string>& args, const std::string& dir,
                   const std::string& stdinPath = "/dev/null") {
    return runProgram(KVRTOOL_PATH, args, dir, stdinPath);
}

ProgramRun kvrsim(const std::vector<std::string>& args, const std::string& dir) {
    return runProgram(KVRSIM_PATH, args, dir);
}

long lineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(n, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(gen() & 0xFF);
    return bytes;
}

std::string recordBytes(const std::vector<kvr::TrendRecord>& records) {
    std::string bytes;
    for (const auto& r : records) {
        unsigned char b[kvr::kTrendRecordBytes];
        kvr::encodeTrendRecord(r, b);
        bytes.append(reinterpret_cast<const char*>(b), sizeof b);
    }
    return bytes;
}

kvr::TrendRecord sampleAt(double days) {
    kvr::TrendRecord r;
    r.time = days;
    r.digits = {3000, 592, 500, 1000, 40, 70, 2, 10};
    return r;
}

// One failure: status 1, nothing on stdout, one line on stderr naming the
// command and the file, with the reason when one is given.
void expectRefused(const ProgramRun& r, const std::string& command, const std::string& file,
                   const std::string& reason = "") {
    const std::string what = command + " " + file;
    EXPECT_EQ(r.status, 1) << what << ": " << r.err;
    EXPECT_EQ(r.out, "") << what;
    EXPECT_EQ(lineCount(r.err), 1) << what << ": " << r.err;
    EXPECT_EQ(r.err.rfind("kvrtool " + command + ": ", 0), 0u) << what << ": " << r.err;
    EXPECT_NE(r.err.find(file), std::string::npos) << what << ": " << r.err;
    EXPECT_NE(r.err.find(reason), std::string::npos) << what << ": " << r.err;
}

struct Files {
    std::string dir = scratchDir();
    std::string values = dir + "/good.KVV";
    std::string folder = dir + "/folder.KVV";
    std::string missing = dir + "/missing.KVV";
    std::string random = dir + "/random.bin";
    std::string empty = dir + "/empty.KVV";
    std::string log = dir + "/good.KVL";
    std::string records = dir + "/records.txt";

    Files() {
        std::string error;
        if (!kvr::writeValuesFile(values, {kvrsim::defaultValuesImage(), {"a note"}}, error))
            throw std::runtime_error(error);
        ::mkdir(folder.c_str(), 0755);
        writeFile(random, randomBytes(3000, 7));
        writeFile(empty, "");
        writeFile(log, recordBytes({sampleAt(45658.5), sampleAt(45658.5 + 1 / 864000.0)}));
        writeFile(records, kvr::sealLiveRecord(kvr::liveRecordBody(kvr::LiveFields{})) + "\n");
    }
};

// The commands that read a values file, each with the arguments around it.
std::vector<std::pair<std::string, std::vector<std::string>>> valuesReaders(const Files& f,
                                                                            const std::string& kvv) {
    return {{"sheets", {"sheets", kvv}},
            {"asm", {"asm", kvv}},
            {"print", {"print", kvv, "-o", f.dir + "/out.pdf"}},
            {"decode", {"decode", "--values", kvv, f.records}},
            {"csv", {"csv", f.log, "--values", kvv}}};
}

TEST(KvrtoolInput, AFolderAMissingFileOrAFailingReadIsRefusedWithTheReason) {
    const Files f;
    for (const auto& [name, args] : valuesReaders(f, f.folder))
        expectRefused(kvrtool(args, f.dir), name, f.folder, "Is a directory");
    for (const auto& [name, args] : valuesReaders(f, f.missing))
        expectRefused(kvrtool(args, f.dir), name, f.missing, "No such file or directory");
    // Reading this file fails with EIO after it opens: a read error, not an empty file.
    const std::string failing = "/proc/self/mem";
    for (const auto& [name, args] : valuesReaders(f, failing))
        expectRefused(kvrtool(args, f.dir), name, failing, "Input/output error");

    // The file decode and csv read themselves.
    expectRefused(kvrtool({"decode", f.folder}, f.dir), "decode", f.folder, "Is a directory");
    expectRefused(kvrtool({"decode", f.missing}, f.dir), "decode", f.missing, "No such file or directory");
    expectRefused(kvrtool({"decode", failing}, f.dir), "decode", failing, "Input/output error");
    expectRefused(kvrtool({"csv", f.folder}, f.dir), "csv", f.folder, "Is a directory");
    expectRefused(kvrtool({"csv", f.missing}, f.dir), "csv", f.missing, "No such file or directory");
    expectRefused(kvrtool({"csv", failing}, f.dir), "csv", failing, "Input/output error");

    if (::geteuid() != 0) {  // root reads a file whatever its mode
        const std::string locked = f.dir + "/locked.KVV";
        writeFile(locked, kvrsim::defaultValuesImage());
        ::chmod(locked.c_str(), 0);
        for (const auto& [name, args] : valuesReaders(f, locked))
            expectRefused(kvrtool(args, f.dir), name, locked, "Permission denied");
    }
}

TEST(KvrtoolInput, AValuesFileWithoutAnImageIsRefused) {
    const Files f;
    const std::string truncated = f.dir + "/truncated.KVV";
    writeFile(truncated, kvrsim::defaultValuesImage().substr(0, 1500) + "\r\nnotes\r\n");
    for (const std::string& kvv : {f.random, f.empty, f.log, truncated}) {
        for (const auto& [name, args] : valuesReaders(f, kvv))
            expectRefused(kvrtool(args, f.dir), name, kvv);
    }
    EXPECT_FALSE(kvr::fileExists(f.dir + "/out.pdf"));

    // csv reads a log whose companion beside it cannot be decoded on the chart's design ranges,
    // as opening the log in the window does, and says so; the file named with --values above is
    // refused instead.
    writeFile(f.dir + "/good.KVV", kvrsim::defaultValuesImage().substr(0, 1999) + "\r\n");
    const ProgramRun r = kvrtool({"csv", f.log}, f.dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(csvRows(r.out).size(), 3u);
    EXPECT_NE(r.err.find("design ranges"), std::string::npos) << r.err;
}

TEST(KvrtoolInput, EveryCommandDescribesTheSameWrongFileInTheSameWords) {
    const Files f;
    const std::string shortLine = f.dir + "/short.KVV", one = f.dir + "/one.KVV",
                      atLeast = f.dir + "/edge.KVV";
    writeFile(shortLine, kvrsim::defaultValuesImage().substr(0, 96) + "\r\n");
    writeFile(one, ")\r\n");
    writeFile(atLeast, kvrsim::defaultValuesImage().substr(0, 2000) + "\r\n");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {shortLine,
         shortLine +
             " is not a values file: line 1 has 96 characters, a values image has 2243 (at least 2000)"},
        {one, one + " is not a values file: line 1 has 1 character, a values image has 2243 (at least 2000)"},
        {f.log, f.log + " is not a values file: it holds binary data (byte 1 of line 1 is 0x00)"},
        {f.empty, f.empty + " is empty, not a values file"},
    };
    for (const auto& [kvv, reason] : cases) {
        for (const auto& [name, args] : valuesReaders(f, kvv)) {
            const ProgramRun r = kvrtool(args, f.dir);
            EXPECT_EQ(r.status, 1) << name << " " << kvv;
            EXPECT_EQ(r.err, "kvrtool " + name + ": " + reason + "\n");
        }
    }
    // Random bytes are binary wherever their first line ends.
    for (const auto& [name, args] : valuesReaders(f, f.random))
        expectRefused(kvrtool(args, f.dir), name, f.random, "is not a values file: it holds binary data");
    // 2000 characters are the least the dashboard decodes; asm and sheets take them.
    for (const char* command : {"asm", "sheets"}) {
        const ProgramRun r = kvrtool({command, atLeast}, f.dir);
        EXPECT_EQ(r.status, 0) << command << ": " << r.err;
    }
}

TEST(KvrtoolDecode, InputWithoutALiveRecordIsAFailure) {
    const Files f;
    const std::string record = kvr::sealLiveRecord(kvr::liveRecordBody(kvr::LiveFields{}));
    const std::string good = f.dir + "/records.txt", spoilt = f.dir + "/spoilt.txt";
    writeFile(good, "junk\n" + record + "\n");
    std::string bad = record;
    bad[65] = bad[65] == '0' ? '1' : '0';
    writeFile(spoilt, bad + "\n" + kvrsim::defaultValuesImage() + "\n");

    for (const std::string& input : {f.random, f.empty, spoilt}) {
        expectRefused(kvrtool({"decode", input}, f.dir), "decode", input, "no live record");
        expectRefused(kvrtool({"decode"}, f.dir, input), "decode", "standard input", "no live record");
    }
    expectRefused(kvrtool({"decode", spoilt}, f.dir), "decode", spoilt, "(2 lines read)");
    const std::string junk = f.dir + "/junk.txt";
    writeFile(junk, "junk\n");
    expectRefused(kvrtool({"decode", junk}, f.dir), "decode", junk, "(1 line read)");
    ProgramRun r = kvrtool({"decode", good}, f.dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lineCount(r.out), 1);
    r = kvrtool({"decode", "-"}, f.dir, good);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lineCount(r.out), 1);
}

TEST(KvrtoolDecode, AtATerminalItSaysItReadsStandardInputAndStillReadsIt) {
    const Files f;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    // Held open here too, so what is typed waits in the terminal until decode reads it.
    const int slave = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    const std::string typed = kvr::sealLiveRecord(kvr::liveRecordBody(kvr::LiveFields{})) + "\n\x04";
    ASSERT_EQ(::write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    const ProgramRun r = kvrtool({"decode"}, f.dir, terminal);
    ::close(slave);
    ::close(master);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lineCount(r.out), 1) << r.out;
    EXPECT_EQ(r.err,
              "kvrtool decode: reading records from standard input (Ctrl-D ends); give a file to read one\n");

    // Not a terminal: nothing to say.
    const ProgramRun piped = kvrtool({"decode"}, f.dir, f.records);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
}

TEST(KvrtoolPrint, ThePdfIsTitledWithTheFileGiven) {
    const Files f;
    // The PDF's document title, as the writer stores it: UTF-16 big-endian.
    auto utf16 = [](const std::string& ascii) {
        std::string out;
        for (char c : ascii)
            out += std::string(1, '\0') + c;
        return out;
    };
    const ProgramRun r = kvrtool({"print", "good.KVV", "-o", "-"}, f.dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(utf16("good.KVV")), std::string::npos);
    EXPECT_EQ(r.out.find(utf16("good.KVL")), std::string::npos) << "a log that was never given";
    const ProgramRun titled = kvrtool({"print", "good.KVV", "-o", "-", "--title", "Track day"}, f.dir);
    EXPECT_NE(titled.out.find(utf16("Track day")), std::string::npos);
}

TEST(KvrtoolLogUsage, AMissingOptionIsNamed) {
    const std::string dir = scratchDir();
    for (const auto& [args, missing] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"log"}, "--port COMn, --seconds S and -o NAME are needed"},
             {{"log", "--seconds", "3"}, "--port COMn and -o NAME are needed"},
             {{"log", "--port", "COM3", "-o", "run"}, "--seconds S is needed"},
             {{"log", "--port", "/dev/ttyUSB0", "--seconds", "3"}, "-o NAME is needed"},
         }) {
        const ProgramRun r = kvrtool(args, dir);
        EXPECT_EQ(r.status, 2) << missing;
        EXPECT_EQ(r.err.rfind("kvrtool log: " + missing + "\nusage: kvrtool log", 0), 0u) << r.err;
    }
    for (const std::string port : {"COM0", "COM257", "ttyUSB0", "/"}) {
        const ProgramRun r = kvrtool({"log", "--port", port, "--seconds", "3", "-o", "run"}, dir);
        EXPECT_EQ(r.status, 2) << port;
        EXPECT_NE(r.err.find("--port takes COM1 .. COM256 or a device's path"), std::string::npos) << r.err;
    }
}

TEST(KvrtoolCsv, BytesThatAreNotALogChartFileAreRefused) {
    const Files f;
    const double day1980 = 29221.0, day2101 = 73416.0;
    const std::vector<std::pair<std::string, std::string>> notLogs = {
        {"values.KVL", fileBytes(f.values)},
        {"random.KVL", randomBytes(24 * 50, 3)},
        {"short.KVL", std::string(23, '\0')},
        {"1979.KVL", recordBytes({sampleAt(45658.5), sampleAt(day1980 - 0.001)})},
        {"2101.KVL", recordBytes({sampleAt(45658.5), kvr::TrendRecord{}, sampleAt(day2101)})},
        {"negative.KVL", recordBytes({sampleAt(-45658.5)})},
        {"nan.KVL", recordBytes({sampleAt(std::nan(""))})},
    };
    for (const auto& [name, bytes] : notLogs) {
        const std::string path = f.dir + "/" + name;
        writeFile(path, bytes);
        expectRefused(kvrtool({"csv", path, "-o", f.dir + "/out.csv"}, f.dir), "csv", path,
                      "not a log chart file");
    }
    EXPECT_FALSE(kvr::fileExists(f.dir + "/out.csv"));

    // The ends of the range, separators, and an empty log are fine.
    const std::string edges = f.dir + "/edges.KVL";
    writeFile(edges,
              recordBytes({sampleAt(day1980), kvr::TrendRecord{}, sampleAt(day2101 - 1 / 86400000.0)}));
    ProgramRun r = kvrtool({"csv", edges}, f.dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][1], "1980-01-01T00:00:00.000");
    EXPECT_EQ(rows[2][1], "") << "the break's row";
    EXPECT_EQ(rows[3][1].substr(0, 10), "2100-12-31");
    const std::string empty = f.dir + "/empty.KVL";
    writeFile(empty, "");
    r = kvrtool({"csv", empty}, f.dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(csvRows(r.out).size(), 1u) << "the header only";
}

TEST(KvrtoolCsv, ALogCutShortIsReadToItsLastWholeRecordWithOneWarning) {
    const Files f;
    std::vector<kvr::TrendRecord> records;
    for (int i = 0; i < 5000; ++i)
        records.push_back(sampleAt(45658.5 + i / 864000.0));
    const std::string whole = recordBytes(records);
    for (const std::size_t cut : {1u, 13u, 23u}) {
        const std::string path = f.dir + "/cut" + std::to_string(cut) + ".KVL";
        writeFile(path, whole.substr(0, whole.size() - cut));
        const ProgramRun r = kvrtool({"csv", path, "--values", f.values}, f.dir);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto rows = csvRows(r.out);
        ASSERT_EQ(rows.size(), 5000u) << "the header and 4999 whole records";
        EXPECT_EQ(rows.back()[1], "2025-01-01T12:08:19.800");
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
        EXPECT_NE(r.err.find("warning: " + path + " ends in a cut-short record (" + std::to_string(24 - cut) +
                             " of 24 bytes)"),
                  std::string::npos)
            << r.err;
    }
    const ProgramRun r = kvrtool({"csv", f.log, "--values", f.values}, f.dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "") << "a whole log gets no warning";
}

TEST(KvrtoolOutput, DashOIsStandardOutput) {
    const Files f;
    const ProgramRun asmPlain = kvrtool({"asm", f.values}, f.dir);
    const ProgramRun asmDash = kvrtool({"asm", f.values, "-o", "-"}, f.dir);
    ASSERT_EQ(asmDash.status, 0) << asmDash.err;
    EXPECT_NE(asmDash.out.find("ORG $0800\r\n"), std::string::npos);
    // The listing carries the time it was made; the rest is the same.
    EXPECT_EQ(lineCount(asmDash.out), lineCount(asmPlain.out));

    const ProgramRun csvPlain = kvrtool({"csv", f.log}, f.dir);
    const ProgramRun csvDash = kvrtool({"csv", f.log, "-o", "-"}, f.dir);
    ASSERT_EQ(csvDash.status, 0) << csvDash.err;
    EXPECT_EQ(csvDash.out, csvPlain.out);

    const ProgramRun pdf = kvrtool({"print", f.values, "-o", "-", "--title", "Dash"}, f.dir);
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(pdf.out.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.out.find("%%EOF"), std::string::npos);
    EXPECT_FALSE(kvr::fileExists(f.dir + "/-")) << "no file named \"-\"";
}

TEST(KvrtoolOutput, AFullStandardOutputIsAFailure) {
    const Files f;
    for (const auto& args : std::vector<std::vector<std::string>>{{"sheets", f.values},
                                                                  {"asm", f.values},
                                                                  {"print", f.values, "-o", "-"},
                                                                  {"decode", f.records},
                                                                  {"csv", f.log, "-o", "-"}}) {
        const ProgramRun r = runProgram(KVRTOOL_PATH, args, f.dir, "/dev/null", "/dev/full");
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(
            r.err.find("kvrtool " + args[0] + ": cannot write to standard output: No space left on device"),
            std::string::npos)
            << r.err;
    }
}

TEST(KvrtoolHelp, TheProgramAndEachCommandExplainThemselves) {
    const std::string dir = scratchDir();
    ProgramRun r = kvrtool({"--help"}, dir);
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"ports", "asm", "print", "sheets", "decode", "csv", "log"})
        EXPECT_NE(r.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    for (const char* name : {"FILE.KVV", "FILE.KVL", "COMn", "-o -"})
        EXPECT_NE(r.out.find(name), std::string::npos) << name;

    for (const char* command : {"ports", "asm", "print", "sheets", "decode", "csv", "log"}) {
        r = kvrtool({command, "--help"}, dir);
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("usage: kvrtool ") + command, 0), 0u) << r.out;
        EXPECT_EQ(r.err, "");
    }
    r = kvrtool({"decode", "--help"}, dir);
    EXPECT_NE(r.out.find("(RPM and pulse width need --values)"), std::string::npos) << r.out;
    r = kvrtool({"decode", "--values"}, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("RPM and pulse width need --values"), std::string::npos) << r.err;

    r = kvrtool({"--version"}, dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("kvrtool ") + KVR_PACKAGE_VERSION + "\n");
    r = kvrtool({}, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

TEST(KvrsimCommandLine, EveryNumberIsCheckedAndBadUsageExits2) {
    const std::string dir = scratchDir();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--seconds", "abc"},
             {"--seconds", "0"},
             {"--seconds", "-1"},
             {"--seconds", "nan"},
             {"--seconds", "1e999"},
             {"--seconds", ""},
             {"--baud", "9600x"},
             {"--baud", "9"},
             {"--baud", "-9600"},
             {"--baud", " 9600"},
             {"--baud", "99999999999"},
             {"--fault-every", "0"},
             {"--fault-every", "3.5"},
             {"--setup-every", "-0.5"},
             {"--setup-every", "5s"},
             {"--cylinders", "0"},
             {"--cylinders", "17"},
             {"--seed", "0x10"},
             {"--fault", "nope"},
             {"--bogus"},
             {"--seconds"},
             {"stray"},
         }) {
        const ProgramRun r = kvrsim(args, dir);
        const std::string what = args.front() + (args.size() > 1 ? " '" + args[1] + "'" : "");
        EXPECT_EQ(r.status, 2) << what;
        EXPECT_EQ(r.out, "") << what << ": no device is made";
        EXPECT_EQ(lineCount(r.err), 2) << what << ": " << r.err;
        EXPECT_EQ(r.err.rfind("kvrsim: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("\nusage: kvrsim"), std::string::npos) << r.err;
    }

    // Good numbers run it: it prints its device and ends after its seconds.
    const ProgramRun r = kvrsim({"--seconds", "0.3", "--baud", "9600", "--fault-every", "2", "--setup-every",
                                 "0.5", "--cylinders", "8", "--seed", "4294967295"},
                                dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("/dev/", 0), 0u) << r.out;
}

TEST(KvrsimCommandLine, FilesItCannotReadAreNamedWithTheReason) {
    const std::string dir = scratchDir();
    ::mkdir((dir + "/folder").c_str(), 0755);
    writeFile(dir + "/empty", "");
    for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--values", dir + "/missing.KVV"},
              "cannot open " + dir + "/missing.KVV: No such file or directory"},
             {{"--values", dir + "/folder"}, "cannot read " + dir + "/folder: Is a directory"},
             {{"--values", dir + "/empty"}, "no values image in " + dir + "/empty: it is empty"},
             {{"--replay", dir + "/missing.TXT"},
              "cannot open " + dir + "/missing.TXT: No such file or directory"},
             {{"--replay", dir + "/folder"}, "cannot read " + dir + "/folder: Is a directory"},
             {{"--replay", dir + "/empty"}, "no live records in " + dir + "/empty"},
         }) {
        const ProgramRun r = kvrsim(args, dir);
        EXPECT_EQ(r.status, 1) << message;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "kvrsim: " + message + "\n");
    }
}

TEST(KvrsimCommandLine, AValuesFileMustHoldAValuesImage) {
    const std::string dir = scratchDir();
    const std::string kvl = dir + "/run.KVL", text = dir + "/notes.KVV";
    writeFile(kvl, recordBytes({sampleAt(45658.5)}));
    writeFile(text, "a note, not an image\r\n");
    for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
             {kvl, "it holds binary data (byte 1 of line 1 is 0x00)"},
             {text, "line 1 has 20 characters, a values image has 2243 (at least 2000)"},
         }) {
        const ProgramRun r = kvrsim({"--values", path, "--seconds", "0.2"}, dir);
        EXPECT_EQ(r.status, 1) << path;
        EXPECT_EQ(r.out, "") << "no device is made";
        EXPECT_EQ(r.err, "kvrsim: " + path + " is not a values file: " + reason + "\n");
    }
}

TEST(KvrsimCommandLine, HelpAndVersion) {
    const std::string dir = scratchDir();
    ProgramRun r = kvrsim({"--help"}, dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--seconds S"), std::string::npos) << r.out;
    r = kvrsim({"--version"}, dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("kvrsim ") + KVR_PACKAGE_VERSION + "\n");
}

}  // namespace
