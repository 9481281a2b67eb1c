// kvrtool asm: the assembler listing of a values file's image, as the dashboard's "Save to ASM
// file" writes it.
#include <cstdio>
#include <string>

#include "command_output.h"
#include "commands.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/values/asm_listing.h"
#include "values_input.h"

namespace kvrtool {

int runAsm(const Args& args) {
    std::string input;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (++i == args.size()) return usageError("asm", "-o needs a file name");
            output = args[i];
        } else if (input.empty() && !args[i].empty() && args[i][0] != '-') {
            input = args[i];
        } else {
            return usageError("asm", "unexpected argument '" + args[i] + "'");
        }
    }
    if (input.empty()) return usageError("asm", "expects one .KVV file");

    kvr::ValuesFile file;
    if (!readValuesImage("asm", input, file)) return 1;
    // The dashboard fills the sheets when it loads a values file, and the first fill switches the
    // date and time separators to "_".
    const kvr::AsmListing listing =
        kvr::buildAsmListing(file.valuesText, kvr::DateTimeSeparators{'_', '_'}, kvr::localNow());
    if (!listing.complete()) {
        std::fprintf(stderr, "kvrtool asm: %s: %s\n", input.c_str(), listing.failure.c_str());
        return 1;
    }
    return writeCommandOutput("asm", output, kvr::asmFileText(listing.lines)) ? 0 : 1;
}

}  // namespace kvrtool
