#include "dashboard/analysis/tune_samples.h"

#include <cctype>
#include <cmath>

namespace kvr {
namespace {

constexpr double kAtmosphereKpa = 101.325;
constexpr double kKpaPerInHg = 3.38639;
constexpr double kKpaPerPsi = 6.89476;

bool sameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

int columnNamed(const LogHeader& h, const char* name) {
    for (size_t c = 0; c < h.columns.size(); ++c)
        if (sameName(h.columns[c].name, name)) return static_cast<int>(c);
    return -1;
}

// How the log's MAP numbers are to be read.
enum class MapUnits { Ecu, Kpa };

bool mapUnitsOf(const LogColumn& column, MapForm form, MapUnits& units, std::string& error) {
    units = MapUnits::Ecu;
    if (sameName(column.unit, "kPa")) {
        units = MapUnits::Kpa;
        return true;
    }
    const bool gauge = sameName(column.unit, "inHg/psi");
    const bool absolute = sameName(column.unit, "inHg abs");
    if ((gauge && form != MapForm::Gauge) || (absolute && form != MapForm::Absolute)) {
        error = std::string("the log's MAP is in ") + column.unit + " (" +
                (gauge ? "a gauge" : "an absolute") + " sensor) but the values image reads " +
                (form == MapForm::Gauge ? "a gauge" : "an absolute") +
                " sensor: the log was not made with this image";
        return false;
    }
    return true;
}

// 'F' or 'C' from a unit such as "F", "degC", "°F"; 0 when neither.
char temperatureUnitOf(const std::string& unit) {
    if (unit.empty()) return 0;
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(unit.back())));
    return last == 'F' || last == 'C' ? last : 0;
}

double convertTemperature(double v, char from, char to) {
    if (from == to || from == 0 || to == 0) return v;
    return to == 'C' ? (v - 32.0) * 5.0 / 9.0 : v * 9.0 / 5.0 + 32.0;
}

bool startsWithGap(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    return text.size() >= i + 3 && sameName(text.substr(i, 3), "gap");
}

struct Columns {
    int rpm = -1, map = -1, mapKpa = -1, throttle = -1, afr = -1, o2 = -1, running = -1, engineTemp = -1;
    MapUnits mapUnits = MapUnits::Ecu;
    char temperatureUnit = 0;
};

bool findColumns(const LogHeader& h, TuneSamples& out, Columns& c, std::string& error) {
    if (h.columns.empty() || !sameName(h.columns[0].name, kTimeColumn)) {
        error = "the log has no Time column first";
        return false;
    }
    c.rpm = columnNamed(h, "RPM");
    c.map = columnNamed(h, "MAP");
    c.mapKpa = columnNamed(h, "MAP kPa");
    c.throttle = columnNamed(h, "TPS");
    c.afr = columnNamed(h, "AFR");
    c.o2 = columnNamed(h, "O2");
    c.running = columnNamed(h, "Running");
    c.engineTemp = columnNamed(h, "CLT");
    std::vector<std::string> missing;
    if (c.rpm < 0) missing.push_back("RPM");
    if (c.map < 0 && c.mapKpa < 0) missing.push_back("MAP");
    if (c.throttle < 0) missing.push_back("TPS");
    if (c.afr < 0 && c.o2 < 0) missing.push_back("AFR");
    if (!missing.empty()) {
        error = "the log has no ";
        for (size_t i = 0; i < missing.size(); ++i)
            error += (i == 0 ? "" : i + 1 == missing.size() ? " or " : ", ") + missing[i];
        error += " column";
        return false;
    }
    if (c.map >= 0) {
        if (!mapUnitsOf(h.columns[static_cast<size_t>(c.map)], out.mapForm, c.mapUnits, error)) return false;
    } else {
        c.map = c.mapKpa;
        c.mapUnits = MapUnits::Kpa;
    }
    const std::string logName = "log " + std::to_string(out.logs + 1);
    if (c.engineTemp < 0) {
        out.notes.push_back(logName + " has no engine temperature (CLT): the warm-up filter cannot judge it");
    } else {
        c.temperatureUnit = temperatureUnitOf(h.columns[static_cast<size_t>(c.engineTemp)].unit);
        if (c.temperatureUnit == 0) {
            c.temperatureUnit = 'F';
            out.notes.push_back(logName + ": the engine temperature's unit '" +
                                h.columns[static_cast<size_t>(c.engineTemp)].unit + "' is read as F");
        }
        if (out.temperatureUnit == 0) out.temperatureUnit = c.temperatureUnit;
    }
    return true;
}

double cell(const LogRow& row, int column) {
    return column >= 0 && static_cast<size_t>(column) < row.values.size()
               ? row.values[static_cast<size_t>(column)]
               : kMissing;
}

float toFloat(double v) { return isMissing(v) ? TuneSample::kNone : static_cast<float>(v); }

}  // namespace

double ecuMapFromKpa(double kpa, MapForm form) {
    if (isMissing(kpa)) return kMissing;
    switch (form) {
        case MapForm::Gauge: {
            const double above = kpa - kAtmosphereKpa;
            return above / (above < 0 ? kKpaPerInHg : kKpaPerPsi);
        }
        case MapForm::Absolute:
            return kpa / kKpaPerInHg;
        case MapForm::None:
            return kMissing;
    }
    return kMissing;
}

bool appendLogSamples(LogReader& reader, TuneSamples& out, std::string& error) {
    Columns c;
    if (!findColumns(reader.header(), out, c, error)) return false;
    if (out.logs >= 0xFFFF) {
        error = "too many logs";
        return false;
    }
    const auto logIndex = static_cast<uint16_t>(out.logs);
    bool segmentStart = true;
    double lastTime = 0;
    LogItem item;
    while (reader.next(item)) {
        if (item.kind == LogItem::Marker) {
            if (startsWithGap(item.marker.text)) segmentStart = true;
            continue;
        }
        const LogRow& row = item.row;
        if (row.separator) {
            segmentStart = true;
            continue;
        }
        const double time = cell(row, 0);
        if (isMissing(time)) continue;
        if (!segmentStart && (time - lastTime > kGapSeconds || time < lastTime)) segmentStart = true;
        lastTime = time;

        TuneSample s;
        s.time = time;
        s.log = logIndex;
        const double rpm = cell(row, c.rpm);
        s.rpm = isMissing(rpm) ? 0.0f : static_cast<float>(rpm);
        const double map = cell(row, c.map);
        s.map = toFloat(c.mapUnits == MapUnits::Kpa ? ecuMapFromKpa(map, out.mapForm) : map);
        s.throttle = toFloat(cell(row, c.throttle));
        s.engineTemp =
            toFloat(convertTemperature(cell(row, c.engineTemp), c.temperatureUnit, out.temperatureUnit));
        const double afr = cell(row, c.afr);
        const double o2 = cell(row, c.o2);
        if (isMissing(afr) && !isMissing(o2)) {
            s.mixture = static_cast<float>(o2);
            s.flags |= TuneSample::kNarrowBand;
        } else {
            s.mixture = toFloat(afr);
        }
        const double running = cell(row, c.running);
        if ((c.running < 0 || isMissing(running) || running != 0) && s.rpm > 0)
            s.flags |= TuneSample::kRunning;
        if (segmentStart) s.flags |= TuneSample::kSegmentStart;
        segmentStart = false;
        out.samples.push_back(s);
    }
    if (!reader.error().empty()) {
        error = reader.error();
        return false;
    }
    ++out.logs;
    return true;
}

}  // namespace kvr
