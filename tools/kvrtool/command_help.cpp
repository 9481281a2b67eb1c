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
    {"ports",
     "Without arguments, scans COM1 .. COM40 as the dashboard does and prints its lines.\n"
     "--devices lists the serial devices present: node, COM name, /dev/serial/by-id name,\n"
     "USB ids, maker and product. --assign COMn DEVICE makes COMn stand for DEVICE in the\n"
     "port map file, by its /dev/serial/by-id name when it has one. A DEVICE that is not\n"
     "present (or not a character device) is refused and nothing is written; --force\n"
     "writes it all the same, for an adapter that is not plugged in yet.\n"},
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
     "log, and prints the parameter sheets tab by tab (Fuel, Ignition, Options, Air Temp):\n"
     "each table under its name (\"Rpm Fuel numbers\" ...) with its bins and numbers in\n"
     "two columns, and each group of settings with captions and values in two columns.\n"
     "--json prints the same as one JSON object: \"tables\" (name, tab, bins, values) and\n"
     "\"settings\" (name, tab, items of caption and value).\n"
     "--grid keeps the form earlier versions printed by default, byte for byte, for\n"
     "scripts: each text-log line of the decode as \"log<TAB>line\", then every cell of the\n"
     "grids StringGrid1 .. StringGrid25 as \"StringGridN<TAB>row<TAB>text\" (two-column\n"
     "grids add \"<TAB>text\" of the second column).\n"},
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
     "Writes the log chart file FILE.KVL as CSV: a header of \"name (unit)\" cells, then per\n"
     "record Time (seconds from the first sample), Clock (the local time, ISO 8601 with\n"
     "milliseconds), the eight chart channels read back as the log chart reads them (the\n"
     "shortest text that reads back as the stored value), MAP in kPa absolute, and a Marker\n"
     "column. A break in the log is one row with its Time and every value empty, with a\n"
     "\"gap: S s\" marker (or the markers of the data log FILE.msl beside it). The channel\n"
     "ranges come from the log's values file (--values, or the .KVV beside FILE.KVL; the\n"
     "design ranges when there is none). A log cut short while it was being written is\n"
     "read up to its last whole record, with a warning. -o - is standard output. The same\n"
     "as kvrtool export FILE.KVL -o OUT --format csv.\n"},
    {"log",
     "Logs without the window: checks it can write NAME, opens the port (COMn, or a\n"
     "device's path such as /dev/ttyUSB0 or /dev/serial/by-id/...), fetches the values\n"
     "image and polls, recording the eight chart channels every 100 ms while fresh live\n"
     "records arrive, and every good live record in full to the data log NAME.msl (MSL text:\n"
     "every field with its unit, see kvrtool export). A gap (a silent ECU, a device gone)\n"
     "gets separator records, a marker \"gap: REASON, S s\" and a line on stderr; a device\n"
     "that goes away is reopened once a second until it is back. Samples go to\n"
     "NAME.KVL.partial and rows to NAME.msl.partial as they come (synced each second; a\n"
     "killed run keeps them: rename them) and NAME.KVV gets the image as it arrives; the end\n"
     "renames them. Ctrl-C (SIGINT) or SIGTERM ends early and saves. SIGUSR1 places a\n"
     "marker; with --marks-from-stdin each line read from standard input places a marker\n"
     "with that line as its text. Status 0 when the run ends with the link up, 1 when the\n"
     "device is gone or the ECU silent at the end.\n"
     "--interval MS is the data interval (default 45; 0: poll again as soon as a record is\n"
     "decoded). --records FILE.csv writes every good live record with its arrival time and\n"
     "every field.\n"},
    {"export",
     "Writes the log IN as OUT in another format: msl (tab-separated text with names and\n"
     "units rows, MARK lines for markers), mlg (the binary MLVLG version 1 log, markers as\n"
     "marker blocks) or csv (a header of \"name (unit)\", a Marker column). The format comes\n"
     "from --format or OUT's extension. IN is a data log (.msl) or a log chart file (.KVL,\n"
     "read back on the ranges of its values file: --values, or the .KVV beside it; markers\n"
     "from the .msl beside it). A break in the log is a row of empty cells. Every export\n"
     "has Time (seconds from the start) and MAP in kPa absolute. --from S and --to S keep\n"
     "the rows from S to S, each seconds from the start or an ISO 8601 time\n"
     "(2026-12-08T16:27:44, local unless it ends in Z or +HH:MM). --stats also prints each\n"
     "column's minimum, mean and maximum over those rows. Nothing is written on a failure.\n"},
    {"tune",
     "Suggests corrections of the ECU's RPM and load fuel numbers from logged drives; it\n"
     "never writes to the ECU. RAN.KVV is the values file the logs were made with; each LOG\n"
     "is a data log (.msl) or a log chart file (.KVL). Filters, each record counted under the\n"
     "first that removes it: stopped, afr (missing, ERR or outside 9..20), narrow-band, warm\n"
     "(below 160 F / 71 C, or --warm TEMP such as 75C), accel (throttle moving faster than\n"
     "20 counts/s within 0.3 s), decel (closed throttle, RPM falling), gap (the first 2 s of\n"
     "a log and after a break), window (--rpm-range LOW:HIGH, --map-range LOW:HIGH in the\n"
     "ECU's MAP units). --no-filter NAME turns one off (not narrow-band). Each AFR reading is\n"
     "paired with the engine state --lag MS earlier (default 120); --lag auto finds the lag\n"
     "from the throttle's steps in the log. Target AFR: 14.7 in vacuum easing to 12.5 from\n"
     "0 inHg up; --target AFR for one value, or --target FILE, lines \"map P1 P2 ...\" then\n"
     "\"afr A1 A2 ...\" or \"rpm R A1 A2 ...\". One multiplier per RPM bin and per load bin is\n"
     "fitted by weighted least squares (overall corrections go into the RPM numbers); a bin\n"
     "with fewer than --min-samples effective samples (default 30) is left alone; a number\n"
     "changes by at most --max-change PCT (default 15) and stays in its stored range. Prints\n"
     "the filter counts, the lag, both tables beside the current numbers and where the two\n"
     "tables cannot give what the engine wants; --json prints the same as JSON. -o writes\n"
     "the image with the suggested numbers and notes of what changed, never over an input.\n"
     "--report REPORT.pdf writes the tables before and after as curves and the maps of\n"
     "hits, mean error and residual as PDF. A narrow-band log gives rich and lean counts and\n"
     "no numbers (status 0).\n"},
    {"stats",
     "Prints the minimum, mean and maximum of each column of the log IN (as export reads\n"
     "it) over the rows from --from to --to, with the count of values.\n"},
};

const char kNames[] =
    "names:\n"
    "  FILE.KVV  values file: line 1 the ECU's values image (its configuration as one text\n"
    "            line, as the ECU sends it), then the user's notes; saved with each log\n"
    "  FILE.KVL  log chart file: the log chart's eight channels, one 24-byte record a sample\n"
    "  COMn      serial port n as the dashboard's port list names it (COM1 and up); see\n"
    "            \"Serial ports on Linux\" in the README for the device behind each\n"
    "  DEVICE    a serial device's path: /dev/ttyUSB0, /dev/serial/by-id/..., /dev/pts/3\n"
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
