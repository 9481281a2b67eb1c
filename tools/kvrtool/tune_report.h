// What kvrtool tune prints: the tuner's text (filter counts, the lag, the
// suggested numbers beside the current ones, the residual sentence) or the
// same as one JSON object; and the PDF report.
#pragma once

#include <string>
#include <vector>

#include "dashboard/analysis/tune_analysis.h"

namespace kvrtool {

// Where the result came from and where it went, for both forms.
struct TuneSources {
    std::string values;
    std::vector<std::string> logs;
    std::string written;  // the suggested values file, when one was written
};

std::string tuneText(const kvr::TuneResult& result, const TuneSources& sources);
std::string tuneJson(const kvr::TuneResult& result, const TuneSources& sources);

// --report: the PDF of curves and maps, written through a temporary file.
// False, with the reason on stderr, when it cannot be.
bool writeTuneReportPdf(const std::string& path, const kvr::TuneResult& result, const std::string& title);

}  // namespace kvrtool
