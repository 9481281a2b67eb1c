// kvrtool tune --report: the tuning pictures as a PDF, painted as the window
// paints them.
#include <cstdio>
#include <cstdlib>

#include "command_output.h"
#include "headless_painting.h"
#include "dashboard/analysis/ui/tune_report.h"
#include "tune_report.h"

namespace kvrtool {
bool writeTuneReportPdf(const std::string& path, const kvr::TuneResult& result, const std::string& title) {
    const HeadlessPainting painting("tune");
    const QByteArray pdf = kvr::tuneReportPdf(result, title);
    if (pdf.isEmpty()) {
        std::fprintf(stderr, "kvrtool tune: the report could not be painted\n");
        return false;
    }
    return writeCommandOutput("tune", path, pdf.toStdString());
}

}  // namespace kvrtool
