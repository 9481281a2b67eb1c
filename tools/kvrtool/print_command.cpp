// kvrtool print: the one-page values report of a values file as PDF, laid out and painted as the
// dashboard prints it, after the decode the dashboard makes when it loads that file.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "command_output.h"
#include "headless_painting.h"
#include "commands.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/values/parameter_sheets.h"
#include "dashboard/values/ui/report_output.h"
#include "values_input.h"

namespace kvrtool {

namespace {

struct PrintArgs {
    std::string input;
    std::string output;
    std::optional<std::string> title;  // unset: the title the load proposes
};

bool parse(const Args& args, PrintArgs& out, std::string& why) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--title") {
            if (i + 1 == args.size()) {
                why = a + " needs a value";
                return false;
            }
            if (a == "-o")
                out.output = args[++i];
            else
                out.title = args[++i];
        } else if (out.input.empty() && !a.empty() && a[0] != '-') {
            out.input = a;
        } else {
            why = "unexpected argument '" + a + "'";
            return false;
        }
    }
    if (out.input.empty())
        why = "expects one .KVV file";
    else if (out.output.empty())
        why = "expects -o OUT.pdf (-o - for standard output)";
    return why.empty();
}

int fail(const std::string& message) {
    std::fprintf(stderr, "kvrtool print: %s\n", message.c_str());
    return 1;
}

}  // namespace

int runPrint(const Args& args) {
    PrintArgs options;
    std::string why;
    if (!parse(args, options, why)) return usageError("print", why);

    kvr::ValuesFile file;
    if (!readValuesImage("print", options.input, file)) return 1;

    // The title is the file the user named: the window proposes the log it opened, and here the
    // values file is what was opened.
    kvr::ParameterSheets sheets;
    const kvr::FillOutcome outcome = sheets.valuestogridcells(
        file.valuesText, kvr::systemFillContext("pcdisk", options.input, options.input));
    if (!outcome.decoded)
        return fail(options.input + ": " +
                    (outcome.memoLines.empty() ? "not decoded" : outcome.memoLines[0]));
    const std::string title = options.title.value_or(outcome.proposedTitle.value_or(options.input));

    const HeadlessPainting painting("print");

    const kvr::ReportPdf pdf = kvr::valuesReportPdf({sheets.sheets(), sheets.info(), title});
    if (!pdf.outcome.printed) return fail(pdf.outcome.error);
    return writeCommandOutput("print", options.output, pdf.bytes.toStdString()) ? 0 : 1;
}

}  // namespace kvrtool
