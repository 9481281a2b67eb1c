// The air/fuel ratio the user wants, by manifold pressure and optionally by
// RPM, kept in a small text file the user edits:
//
//   # Target AFR: 14.7 in vacuum, 12.5 on boost
//   map   -30   -5    0    30
//   afr  14.7 14.7 12.5  12.5
//
// "map" lists the MAP breakpoints in the ECU's units (inHg of vacuum below 0
// and psi of boost above for a gauge sensor; inHg absolute for an absolute
// one), strictly increasing. Then either one "afr" line with an AFR for each
// breakpoint, the same at every speed, or one line per RPM breakpoint,
// RPM strictly increasing:
//
//   rpm 2000  14.7 14.7 12.5 12.2
//   rpm 5000  14.2 14.0 12.0 11.6
//
// Between breakpoints the target is interpolated linearly (first by MAP
// within each RPM line, then between the lines); beyond the first and last
// it is held. Words and numbers are separated by spaces or tabs, '#' starts
// a comment, blank lines are ignored. AFRs must lie in 8..22.
#pragma once

#include <string>
#include <vector>

#include "dashboard/datalog/data_log_columns.h"

namespace kvr {

class TargetAfr {
public:
    // 14.7 up to 5 inHg of vacuum, easing linearly to 12.5 at 0 inHg (the
    // edge of boost) and 12.5 from there up; for an absolute sensor the same
    // at 24.92 and 29.92 inHg absolute (5 and 0 inHg below one atmosphere).
    static TargetAfr standard(MapForm form);
    // The same AFR everywhere.
    static TargetAfr flat(double afr);
    // Reads the text format above. False with the line and reason on an error.
    static bool parse(const std::string& text, TargetAfr& out, std::string& error);
    // The text format above; parse(write()) gives the same table.
    std::string write() const;

    double at(double rpm, double map) const;
    // One line for a report: "flat 13.0", "standard: 14.7 in vacuum ...", or
    // "table: 4 MAP points, 2 RPM lines".
    std::string describe() const;

    static constexpr double kLowest = 8.0, kHighest = 22.0;

private:
    std::vector<double> mapPoints_;
    std::vector<double> rpmPoints_;         // empty: one row for every RPM
    std::vector<std::vector<double>> afr_;  // [RPM line][MAP point]
    std::string description_;
};

}  // namespace kvr
