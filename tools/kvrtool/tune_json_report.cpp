// The JSON form of kvrtool tune's result: one object, the same content as
// the text, numbers unrounded.
#include <cstdio>

#include "json_writer.h"
#include "tune_report.h"

namespace kvrtool {
namespace {

// An object whose values are already JSON text (arrays among them), keys in
// the order added.
class Fields {
public:
    Fields& raw(const char* key, const std::string& json) {
        text_ += (text_.empty() ? "" : ",") + JsonObject::quote(key) + ":" + json;
        return *this;
    }
    Fields& object(const char* key, const JsonObject& o) { return raw(key, o.text()); }
    std::string text() const { return "{" + text_ + "}"; }

private:
    std::string text_;
};

template <typename T, typename F>
std::string array(const T& items, F toObject) {
    std::string out = "[";
    for (const auto& item : items)
        out += (out.size() > 1 ? "," : "") + toObject(item).text();
    return out + "]";
}

std::string strings(const std::vector<std::string>& list) {
    std::string out = "[";
    for (const std::string& s : list)
        out += (out.size() > 1 ? "," : "") + JsonObject::quote(s);
    return out + "]";
}

JsonObject bin(const kvr::BinSuggestion& b, const char* axis) {
    JsonObject o;
    o.integer("bin", b.bin)
        .number(axis, b.centre, 6)
        .integer("current", b.current)
        .integer("suggested", b.suggested)
        .number("changePercent", b.changePercent(), 6)
        .number("wanted", b.wanted, 6)
        .number("samples", b.effectiveSamples, 6)
        .string("outcome", kvr::binOutcomeName(b.outcome));
    return o;
}

JsonObject region(const kvr::ResidualRegion& r) {
    JsonObject o;
    o.number("percent", r.percent(), 4)
        .integer("cells", r.cells)
        .number("samples", r.weight, 6)
        .number("rpmLow", r.rpmLow, 6)
        .number("rpmHigh", r.rpmHigh, 6)
        .number("mapLow", r.mapLow, 6)
        .number("mapHigh", r.mapHigh, 6)
        .string("rpm", r.rpmWord)
        .string("map", r.mapWord);
    return o;
}

// Every cell that holds a reading: the map of measured / target and of what
// the two tables cannot give (or, narrow-band, of rich and lean).
std::string cells(const kvr::TuneResult& r) {
    std::string out = "[";
    for (int rpm = 0; rpm < kvr::kRpmBins; ++rpm) {
        for (int load = 0; load < kvr::kLoadBins; ++load) {
            const kvr::CellStats& c = r.cells.at(rpm, load);
            if (c.weight <= 0 && c.samples == 0 && c.rich + c.lean == 0) continue;
            JsonObject o;
            o.integer("rpmBin", rpm).integer("loadBin", load).integer("samples", c.samples);
            if (r.narrowBand)
                o.integer("rich", c.rich).integer("lean", c.lean);
            else
                o.number("weight", c.weight, 6)
                    .number("meanRatio", c.meanRatio, 6)
                    .number("spread", c.spread, 6)
                    .number("residual", c.residual, 6);
            out += (out.size() > 1 ? "," : "") + o.text();
        }
    }
    return out + "]";
}

std::string numbers(const std::vector<double>& list) {
    std::string out = "[";
    for (double v : list) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4g", v);
        out += (out.size() > 1 ? "," : "") + std::string(text);
    }
    return out + "]";
}

}  // namespace

std::string tuneJson(const kvr::TuneResult& r, const TuneSources& sources) {
    Fields out;
    out.raw("values", JsonObject::quote(sources.values)).raw("logs", strings(sources.logs));
    out.raw("records", std::to_string(r.records)).raw("kept", std::to_string(r.kept));
    out.raw(
        "filters", array(r.filters, [](const kvr::FilterCount& c) {
            JsonObject o;
            o.string("name", kvr::tuneFilterName(c.filter)).boolean("on", c.on).integer("removed", c.removed);
            return o;
        }));
    JsonObject warm;
    warm.number("limit", r.warmLimit, 6).string("unit", std::string(1, r.temperatureUnit));
    out.object("warm", warm);
    JsonObject lag;
    lag.number("ms", r.lagMs, 6).boolean("found", r.lagAutomatic);
    if (r.lagAutomatic)
        lag.number("correlation", r.lagEstimate.correlation, 4)
            .integer("throttleSteps", r.lagEstimate.throttleSteps);
    if (!r.lagEstimate.why.empty()) lag.string("why", r.lagEstimate.why);
    if (r.lagEstimate.correlations.empty()) {
        out.object("lag", lag);
    } else {
        // The correlation at each candidate lag, from 0 ms in 10 ms steps.
        std::string text = lag.text();
        text.pop_back();
        out.raw("lag", text + ",\"correlations\":" + numbers(r.lagEstimate.correlations) + "}");
    }
    out.raw("target", JsonObject::quote(r.target));
    out.raw("narrowBand", r.narrowBand ? "true" : "false");
    if (r.narrowBand) {
        out.raw("rich", std::to_string(r.rich)).raw("lean", std::to_string(r.lean));
    } else if (r.kept > 0) {
        out.raw("rpmBins", array(r.rpmBins, [](const kvr::BinSuggestion& b) { return bin(b, "rpm"); }));
        out.raw("loadBins", array(r.loadBins, [](const kvr::BinSuggestion& b) { return bin(b, "map"); }));
        Fields residual;
        char threshold[32];
        std::snprintf(threshold, sizeof threshold, "%g", r.residuals.threshold);
        residual.raw("threshold", threshold)
            .raw("sentence", JsonObject::quote(r.residuals.sentence))
            .raw("regions", array(r.residuals.regions, region));
        out.raw("residual", residual.text());
    }
    out.raw("cells", cells(r));
    out.raw("notes", strings(r.notes)).raw("summary", JsonObject::quote(r.summary));
    out.raw("written", sources.written.empty() ? "null" : JsonObject::quote(sources.written));
    return out.text() + "\n";
}

}  // namespace kvrtool
