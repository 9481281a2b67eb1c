// The text form of kvrtool tune's result: a few lines on what was kept, then
// the two tables as aligned columns a tuner reads beside the ECU's own.
#include <cstdarg>
#include <cstdio>

#include "dashboard/analysis/tune_labels.h"
#include "tune_report.h"

namespace kvrtool {
namespace {

void add(std::string& out, const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out += line;
}

// What the filter judged by, where a number says more than its phrase.
std::string filterDetail(const kvr::TuneResult& r, kvr::TuneFilter f) {
    const kvr::FilterOptions& o = r.options.filters;
    char text[80] = "";
    switch (f) {
        case kvr::TuneFilter::Afr:
            std::snprintf(text, sizeof text, " (%g..%g)", o.afrLow, o.afrHigh);
            break;
        case kvr::TuneFilter::Warm:
            std::snprintf(text, sizeof text, " (%.0f %c)", r.warmLimit, r.temperatureUnit);
            break;
        case kvr::TuneFilter::AccelPump:
            std::snprintf(text, sizeof text, " (%g counts/s)", o.throttleRateLimit);
            break;
        case kvr::TuneFilter::AfterGap:
            std::snprintf(text, sizeof text, " (%g s)", o.afterGapSeconds);
            break;
        case kvr::TuneFilter::Window:
            if (r.filters[static_cast<size_t>(f)].on)
                std::snprintf(text, sizeof text, " (RPM %g..%g, MAP %g..%g)", o.rpmLow, o.rpmHigh, o.mapLow,
                              o.mapHigh);
            break;
        default:
            break;
    }
    return text;
}

void addFilters(std::string& out, const kvr::TuneResult& r) {
    add(out, "records: %lld; each one removed is counted under the first filter that removes it:\n",
        static_cast<long long>(r.records));
    for (const kvr::FilterCount& c : r.filters) {
        const std::string what = kvr::tuneFilterPhrase(c.filter) + filterDetail(r, c.filter);
        if (c.on)
            add(out, "  %-12s %-50s %9lld\n", kvr::tuneFilterName(c.filter), what.c_str(),
                static_cast<long long>(c.removed));
        else
            add(out, "  %-12s %-50s %9s\n", kvr::tuneFilterName(c.filter), what.c_str(), "off");
    }
    add(out, "  %-63s %9lld\n", "kept for the fit", static_cast<long long>(r.kept));
}

void addLag(std::string& out, const kvr::TuneResult& r) {
    if (r.lagAutomatic)
        add(out,
            "sensor lag: %.0f ms, found in the log (the AFR's changes follow the throttle's %d steps with "
            "correlation %.2f)\n",
            r.lagMs, r.lagEstimate.throttleSteps, r.lagEstimate.correlation);
    else if (!r.lagEstimate.why.empty())
        add(out, "sensor lag: %.0f ms, the default (%s)\n", r.lagMs, r.lagEstimate.why.c_str());
    else
        add(out, "sensor lag: %.0f ms%s\n", r.lagMs, r.lagMs == kvr::kDefaultLagMs ? ", the default" : "");
}

std::string change(const kvr::BinSuggestion& b) {
    if (b.outcome == kvr::BinOutcome::TooFewSamples) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f %%", b.changePercent());
    return text;
}

std::string note(const kvr::BinSuggestion& b) {
    char text[64] = "";
    switch (b.outcome) {
        case kvr::BinOutcome::TooFewSamples:
            return "too few samples";
        case kvr::BinOutcome::Fitted:
            return "";
        case kvr::BinOutcome::LimitedByMaxChange:
            std::snprintf(text, sizeof text, "held: the fit wants %+.1f %%", (b.wanted - 1) * 100);
            return text;
        case kvr::BinOutcome::LimitedByRange:
            return "held at the stored range";
    }
    return "";
}

void addTable(std::string& out, const char* title, const char* axis,
              const std::vector<kvr::BinSuggestion>& bins, bool rpm, kvr::MapForm form) {
    add(out, "\n%s\n %3s  %13s  %7s  %9s  %8s  %7s  %s\n", title, "bin", axis, "current", "suggested",
        "change", "samples", "note");
    for (const kvr::BinSuggestion& b : bins) {
        const std::string label = rpm ? kvr::rpmLabel(b.centre) : kvr::mapLabel(b.centre, form);
        const std::string why = note(b);
        add(out, " %3d  %13s  %7d  %9d  %8s  %7.1f%s%s\n", b.bin, label.c_str(), b.current, b.suggested,
            change(b).c_str(), b.effectiveSamples, why.empty() ? "" : "  ", why.c_str());
    }
}

}  // namespace

std::string tuneText(const kvr::TuneResult& r, const TuneSources& sources) {
    std::string out;
    add(out, "values: %s (software %d.%02d)\n", sources.values.c_str(), r.current.softwareVersion / 100,
        r.current.softwareVersion % 100);
    for (const std::string& log : sources.logs)
        add(out, "log: %s\n", log.c_str());
    addFilters(out, r);
    addLag(out, r);
    add(out, "target AFR: %s\n", r.target.c_str());
    if (r.narrowBand) {
        add(out,
            "\nnarrow-band: no numbers. The O2 sensor says rich or lean, not by how much: %lld readings "
            "rich, "
            "%lld lean. Nothing is suggested; a wide-band sensor's log can be tuned from.\n",
            static_cast<long long>(r.rich), static_cast<long long>(r.lean));
    } else if (r.kept > 0) {
        addTable(out,
                 "RPM fuel numbers (any overall correction goes here; the load numbers keep their level)",
                 "RPM", r.rpmBins, true, r.current.mapForm);
        addTable(out, "load fuel numbers", "MAP", r.loadBins, false, r.current.mapForm);
        add(out, "\n%s\n", r.residuals.sentence.c_str());
    }
    for (const std::string& n : r.notes)
        add(out, "note: %s\n", n.c_str());
    add(out, "%s\n", r.summary.c_str());
    if (!sources.written.empty()) add(out, "suggested values written to %s\n", sources.written.c_str());
    return out;
}

}  // namespace kvrtool
