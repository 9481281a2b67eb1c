// kvrtool tune's report: a PDF a tuner would rather look at than read. Page
// one has what came of the analysis (summary, filter counts, lag, target)
// and the two tables before and after as curves; page two the RPM × MAP
// maps of hits, mean error and what the two tables cannot represent.
#pragma once

#include <QByteArray>

#include <string>

#include "dashboard/analysis/tune_analysis.h"

namespace kvr {

// The report as PDF bytes; empty when it could not be painted. Needs a
// QGuiApplication (fonts).
QByteArray tuneReportPdf(const TuneResult& result, const std::string& title);

}  // namespace kvr
