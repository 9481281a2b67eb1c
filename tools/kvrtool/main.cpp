// kvrtool: the dashboard's decoding, files and serial scan from the command line.
#include <cstdio>
#include <cstring>

#include "command_help.h"
#include "commands.h"
#include "kvr_version.h"

namespace kvrtool {

int usageError(const char* name, const std::string& why) {
    const char* usage = "";
    for (const auto& c : commands())
        if (std::strcmp(c.name, name) == 0) usage = c.usage;
    std::fprintf(stderr, "kvrtool %s: %s\nusage: kvrtool %s %s\n", name, why.c_str(), name, usage);
    return 2;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {"ports", "[--devices | --assign COMn DEVICE [--force]]", runPorts},
        {"asm", "FILE.KVV [-o OUT]", runAsm},
        {"print", "FILE.KVV -o OUT.pdf [--title TEXT]", runPrint},
        {"sheets", "FILE.KVV [--grid | --json]", runSheets},
        {"decode", "[--values FILE.KVV] [--log-enable N] [FILE]  (RPM and pulse width need --values)", runDecode},
        {"csv", "FILE.KVL [--values FILE.KVV] [-o OUT]  (values file: beside FILE.KVL when not given)", runCsv},
        {"log",
         "--port COMn|DEVICE --seconds S -o NAME [--interval MS] [--records FILE.csv] [--marks-from-stdin]  (writes NAME.KVL, "
         "NAME.KVV and NAME.msl)",
         runLog},
        {"export", "IN -o OUT [--format msl|mlg|csv] [--from S] [--to S] [--values FILE.KVV] [--stats]", runExport},
        {"stats", "IN [--from S] [--to S] [--values FILE.KVV]", runStats},
        {"tune",
         "--values RAN.KVV LOG [more logs] [--target AFR|FILE] [--lag MS|auto] [--max-change PCT] "
         "[--min-samples N] [--warm TEMP] [--no-filter NAME]... [--rpm-range LOW:HIGH] [--map-range LOW:HIGH] "
         "[-o SUGGESTED.KVV] [--report REPORT.pdf] [--json]",
         runTune},
    };
    return all;
}

}  // namespace kvrtool

namespace {

bool isHelp(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

void printUsage(FILE* out) {
    std::fprintf(out, "usage: kvrtool COMMAND [ARGS]   (kvrtool --help explains them)\ncommands:\n");
    for (const auto& c : kvrtool::commands()) std::fprintf(out, "  %s %s\n", c.name, c.usage);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (isHelp(argv[1])) {
        kvrtool::printProgramHelp(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("kvrtool %s\n", KVR_PACKAGE_VERSION);
        return 0;
    }
    for (const auto& c : kvrtool::commands()) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        if (argc >= 3 && isHelp(argv[2])) return kvrtool::printCommandHelp(c.name, stdout) ? 0 : 2;
        return c.run(kvrtool::Args(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "kvrtool: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return 2;
}
