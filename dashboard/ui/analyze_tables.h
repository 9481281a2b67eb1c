// The Analyze tab's two tables of suggestions, one row per bin of the RPM or
// the load fuel table: the bin's centre, the current number, the suggested
// one, the change in % and the effective samples behind it. A suggested
// number is shaded by its change: blue where it goes up (more fuel, a richer
// mixture), red where it goes down (less fuel, leaner), fuller the larger
// the change. Its tooltip gives the readings, their weight and the change.
#pragma once

#include <set>

#include "dashboard/analysis/tune_analysis.h"

class QTableWidget;
class QWidget;

enum SuggestionColumn { kBinColumn, kCurrentColumn, kSuggestedColumn, kChangeColumn, kSamplesColumn, kSuggestionColumns };

// An empty table of suggestions for the RPM table (`rpmTable`) or the load table.
QTableWidget* makeSuggestionTable(QWidget* parent, bool rpmTable);

// Fills the table from `result` (reverts already laid over it); `reverted`
// names the bins put back by hand. A narrow-band result leaves the suggested
// and change columns empty: it has no numbers.
void fillSuggestionTable(QTableWidget& table, const kvr::TuneResult& result, bool rpmTable,
                         const std::set<int>& reverted);

// The text under the tables that says what the shades mean.
const char* suggestionShadeLegend();
