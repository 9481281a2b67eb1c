#include "command_help.h"

#include <cstring>

#include "commands.h"

namespace kvrtool {
namespace {

struct CommandText {
    const char* name;
    const char* text;
};

// What a command does, beyond its usage line; wrapped for an 80-column terminal.
const CommandText kCommandTexts[] = {
    {"asm",
     "Writes the configuration bytes of the values image in FILE.KVV as assembler source\n"
     "(\"ORG $0800\", one \"FCB\" line per byte), with CR LF line ends, as the dashboard's\n"
     "ASM export does. To standard output, or to OUT with -o OUT.\n"},
    {"print",
     "Lays out the one-page values report of FILE.KVV (the decoded parameter sheets) and\n"
     "writes it as PDF, as the dashboard prints it. --title TEXT replaces the title the\n"
     "file proposes. -o - writes the PDF to standard output.\n"},
    {"sheets",
     "Decodes the values image on line 1 of FILE.KVV as the dashboard does after loading a\n"
     "log, and prints each text-log line of the decode as \"log<TAB>line\", then every cell\n"
     "of the parameter sheets StringGrid1 .. StringGrid25 as \"StringGridN<TAB>row<TAB>text\"\n"
     "(two-column grids add \"<TAB>text\" of the second column).\n"},
    {"decode",
     "Reads live records (the ECU's lines that start with \"*\"), one per line, from FILE or\n"
     "standard input, through the dashboard's framer and decoder, and prints one JSON object\n"
     "per decoded record: the decoded values (Rpm, MapValue, AfrValue, InjPulseMs ...), the\n"
     "meters Ab270Meter1 .. 6, labels, lamps AbLED1 .. 4, output panels, chart channels\n"
     "Channel1 .. 8, \"logging\" and \"memo\" (the text-log lines since the last object).\n"
     "RPM and the injector pulse width depend on the ECU's configuration: they need\n"
     "--values FILE.KVV, a values file holding the ECU's image. Without it RPM reads 0 and\n"
     "the pulse width is counted in the oldest software's units.\n"
     "--log-enable N chooses \"Log Chart Enable\": 0 Stop (default), 1 Go, 2 TP >, 3 RPM >.\n"
     "Input that holds no live record is a failure (status 1).\n"},
    {"csv",
     "Writes the log chart file FILE.KVL as CSV: a header of the channel units, then per\n"
     "record the local time (ISO 8601 with milliseconds, or \"separator\" where the log has a\n"
     "break) and the eight chart channels read back as the log chart reads them. The\n"
     "channel ranges come from the log's values file (--values, or the .KVV beside\n"
     "FILE.KVL; the design ranges when there is none). A log cut short while it was being\n"
     "written is read up to its last whole record, with a warning. -o - is standard output.\n"},
    {"log",
     "Logs without the window: checks it can write NAME, opens COMn, fetches the values\n"
     "image and polls, recording the eight chart channels every 100 ms while fresh live\n"
     "records arrive. A gap (a silent ECU, a device gone) gets separator records and a line\n"
     "on stderr with its start and length; a device that goes away is reopened once a\n"
     "second until it is back. Samples go to NAME.KVL.partial as they come (a killed run\n"
     "keeps them: rename it to NAME.KVL) and NAME.KVV gets the image as it arrives; the end\n"
     "renames the first to NAME.KVL. Ctrl-C ends early and saves. Status 0 when the run\n"
     "ends with the link up, 1 when the device is gone or the ECU silent at the end.\n"
     "--interval MS is the data interval (default 45; 0: poll again as soon as a record is\n"
     "decoded). --records FILE.csv writes every good live record with its arrival time.\n"},
};

const char kNames[] =
    "names:\n"
    "  FILE.KVV  values file: line 1 the ECU's values image (its configuration as one text\n"
    "            line, as the ECU sends it), then the user's notes; saved with each log\n"
    "  FILE.KVL  log chart file: the log chart's eight channels, one 24-byte record a sample\n"
    "  COMn      serial port n as the dashboard's port list names it (COM1 and up); see\n"
    "            \"Serial ports on Linux\" in the README for the device behind each\n"
    "  -o -      standard output\n"
    "exit status: 0 success, 1 failure (one line on stderr), 2 bad usage\n";

const Command* findCommand(const char* name) {
    for (const auto& c : commands())
        if (std::strcmp(c.name, name) == 0) return &c;
    return nullptr;
}

}  // namespace

void printProgramHelp(FILE* out) {
    std::fprintf(out,
                 "usage: kvrtool COMMAND [ARGS]\n"
                 "       kvrtool COMMAND --help   (one command in full)\n"
                 "       kvrtool --version\n"
                 "The KVR Dash & Logger's decoding, files and serial ports from the command line.\n\n"
                 "commands:\n");
    for (const auto& c : commands())
        std::fprintf(out, "  %s %s\n", c.name, c.usage);
    std::fprintf(out, "\n%s", kNames);
}

bool printCommandHelp(const char* name, FILE* out) {
    const Command* command = findCommand(name);
    if (command == nullptr) return false;
    std::fprintf(out, "usage: kvrtool %s %s\n", command->name, command->usage);
    for (const auto& t : kCommandTexts)
        if (std::strcmp(t.name, name) == 0) std::fprintf(out, "\n%s", t.text);
    std::fprintf(out, "\n%s", kNames);
    return true;
}

}  // namespace kvrtool
