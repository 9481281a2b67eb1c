// kvrtool tune: suggested corrections of the RPM and load fuel numbers from
// logged drives, and optionally a values file holding them. Nothing is sent
// to the ECU; the user decides whether to load the suggestion.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "commands.h"
#include "dashboard/analysis/tune_analysis.h"
#include "dashboard/logging/log_files.h"
#include "log_sources.h"
#include "tune_args.h"
#include "tune_report.h"

namespace kvrtool {
namespace {

const char* const kCommand = "tune";

int fail(const std::string& why) {
    std::fprintf(stderr, "kvrtool tune: %s\n", why.c_str());
    return 1;
}

// Whether two names are one file: the same device and inode when `b` exists.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return a == b;
}

bool readTarget(const TuneArgs& a, kvr::MapForm form, kvr::TargetAfr& target, std::string& error) {
    if (a.target.empty()) {
        target = kvr::TargetAfr::standard(form);
        return true;
    }
    if (a.flatTarget) {
        target = kvr::TargetAfr::flat(*a.flatTarget);
        return true;
    }
    std::ifstream in(a.target);
    if (!in) {
        error = "cannot read the target AFR file " + a.target + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (kvr::TargetAfr::parse(text.str(), target, error)) return true;
    error = a.target + ": " + error;
    return false;
}

bool readLogs(const TuneArgs& a, kvr::TuneSamples& samples) {
    for (const std::string& path : a.logs) {
        LogSource source;
        if (!openLogSource(kCommand, path, a.values, source)) return false;
        std::string error;
        if (!kvr::appendLogSamples(source.reader(), samples, error)) {
            fail(path + ": " + error);
            return false;
        }
        if (!source.reader().note().empty())
            std::fprintf(stderr, "kvrtool tune: note: %s: %s\n", path.c_str(),
                         source.reader().note().c_str());
    }
    return true;
}

bool writeSuggestion(const TuneArgs& a, const kvr::TuneResult& result, const kvr::ValuesFile& ran) {
    kvr::ValuesFile out;
    out.valuesText = result.suggestedImage(ran.valuesText);
    out.notes = result.changeNotes();
    std::string logs;
    for (const std::string& log : a.logs)
        logs += (logs.empty() ? "" : ", ") + log;
    out.notes.push_back("From " + a.values + " and the logs " + logs + ". Notes of " + a.values + ":");
    out.notes.insert(out.notes.end(), ran.notes.begin(), ran.notes.end());
    std::string error;
    if (kvr::writeValuesFile(a.output, out, error)) return true;
    fail(error);
    return false;
}

}  // namespace

int runTune(const Args& args) {
    TuneArgs a;
    if (const int r = parseTuneArgs(args, a)) return r;
    for (const auto& [option, path] : {std::pair{"-o", a.output}, std::pair{"--report", a.report}}) {
        if (path.empty()) continue;
        if (sameFile(path, a.values))
            return fail(std::string(option) + " " + path + " would replace the values file read");
        for (const std::string& log : a.logs)
            if (sameFile(path, log)) return fail(std::string(option) + " " + path + " would replace the log " + log);
    }
    if (!a.report.empty() && !a.output.empty() && sameFile(a.report, a.output))
        return fail("--report and -o name the same file " + a.report);
    kvr::ValuesFile ran;
    std::string error;
    if (!kvr::readValuesFile(a.values, ran, error)) return fail(error);
    kvr::FuelMap map;
    if (!kvr::readFuelMap(ran.valuesText, map, error)) return fail(a.values + ": " + error);
    kvr::TargetAfr target;
    if (!readTarget(a, map.mapForm, target, error)) return fail(error);

    kvr::TuneSamples samples;
    samples.mapForm = map.mapForm;
    if (!readLogs(a, samples)) return 1;
    if (samples.samples.empty()) return fail("the logs hold no records");
    a.options.filters.warmLimit =
        warmLimitInLogUnit(a, samples.temperatureUnit ? samples.temperatureUnit : 'F');

    const kvr::TuneResult result = kvr::analyseTune(samples, map, target, a.options);
    TuneSources sources{a.values, a.logs, ""};
    const bool suggestion = !result.narrowBand && result.kept > 0 && result.fit.solved;
    if (suggestion && !a.output.empty()) {
        if (!writeSuggestion(a, result, ran)) return 1;
        sources.written = a.output;
    }
    if (!a.report.empty() && !writeTuneReportPdf(a.report, result, a.values)) return 1;
    const std::string report = a.json ? tuneJson(result, sources) : tuneText(result, sources);
    std::fputs(report.c_str(), stdout);
    if (std::fflush(stdout) != 0)
        return fail(std::string("cannot write to standard output: ") + std::strerror(errno));
    if (result.narrowBand) {
        if (!a.output.empty())
            std::fprintf(stderr, "kvrtool tune: narrow-band log: %s not written\n", a.output.c_str());
        return 0;
    }
    if (result.kept == 0) return fail("no record passed the filters; nothing suggested");
    if (!result.fit.solved) return fail("the fit could not be solved; nothing suggested");
    return 0;
}

}  // namespace kvrtool
