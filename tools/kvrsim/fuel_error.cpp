#include "fuel_error.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace kvrsim {
namespace {

constexpr double kTwoPi = 6.283185307179586;

FuelError noError() { return FuelError{}; }

// Smooth swings of about ±9 % along each axis and 8 % lean at high speed
// on light load, where the two tables meet.
FuelError mild() {
    FuelError e;
    e.name = "mild";
    e.rpm.waves = {{0.06, 4000, 1500}, {0.03, 1700, 800}};
    e.map.waves = {{0.06, 24, -10}, {0.03, 9, 2}};
    e.cells = {{5500, -12, 1.08, 1000, 5}};
    return e;
}

// Swings of up to ±18 % that change within a few bins, a lean spot at high
// speed on light load and a rich one on moderate boost.
FuelError wild() {
    FuelError e;
    e.name = "wild";
    e.rpm.waves = {{0.12, 3000, 2000}, {0.06, 1300, 1000}};
    e.map.waves = {{0.10, 16, -12}, {0.07, 7, 3}};
    e.cells = {{5500, -12, 1.10, 1000, 5}, {3500, 4, 0.92, 600, 2}};
    return e;
}

// The whole map 10 % lean: only the scale the two tables share is wrong.
FuelError lean() {
    FuelError e;
    e.name = "lean";
    e.rpm.points = {{0, 1.10}};
    return e;
}

bool finiteNumber(std::istringstream& in, double& v) { return static_cast<bool>(in >> v) && std::isfinite(v); }

}  // namespace

double AxisPattern::at(double x) const {
    double m = 1;
    if (!points.empty()) {
        if (x <= points.front().at) {
            m = points.front().multiplier;
        } else if (x >= points.back().at) {
            m = points.back().multiplier;
        } else {
            size_t i = 1;
            while (points[i].at < x) ++i;
            const Point& a = points[i - 1];
            const Point& b = points[i];
            m = a.multiplier + (b.multiplier - a.multiplier) * (x - a.at) / (b.at - a.at);
        }
    }
    double sum = 0;
    for (const Wave& w : waves) sum += w.amount * std::cos(kTwoPi * (x - w.phase) / w.period);
    return m * (1 + sum);
}

double FuelCell::at(double r, double m) const {
    const double dr = (r - rpm) / rpmWidth, dm = (m - map) / mapWidth;
    return 1 + (multiplier - 1) * std::exp(-(dr * dr + dm * dm));
}

double FuelError::interactionAt(double r, double gauge) const {
    double f = 1;
    for (const FuelCell& c : cells) f *= c.at(r, gauge);
    return f;
}

double FuelError::multiplierAt(double r, double gauge) const {
    return rpmFactor(r) * mapFactor(gauge) * interactionAt(r, gauge);
}

const std::vector<std::string>& fuelErrorPresets() {
    static const std::vector<std::string> kNames = {"none", "mild", "wild", "lean"};
    return kNames;
}

bool fuelErrorPreset(const std::string& name, FuelError& error) {
    if (name == "none") {
        error = noError();
    } else if (name == "mild") {
        error = mild();
    } else if (name == "wild") {
        error = wild();
    } else if (name == "lean") {
        error = lean();
    } else {
        return false;
    }
    return true;
}

bool parseFuelError(const std::string& text, FuelError& error, std::string& why) {
    FuelError e;
    e.name = "file";
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string where = "line " + std::to_string(number) + ": ";
        line = line.substr(0, line.find('#'));
        std::istringstream in(line);
        std::string word;
        if (!(in >> word)) continue;  // blank or a comment
        double a = 0, b = 0, m = 0;
        if (word == "rpm" || word == "map") {
            if (!finiteNumber(in, a) || !finiteNumber(in, m)) {
                why = where + "'" + word + "' takes " + (word == "rpm" ? "an rpm" : "a map") + " and a multiplier";
                return false;
            }
            auto& points = word == "rpm" ? e.rpm.points : e.map.points;
            for (const auto& p : points) {
                if (p.at == a) {
                    std::ostringstream at;
                    at << a;
                    why = where + "a second multiplier at " + word + " " + at.str();
                    return false;
                }
            }
            points.push_back({a, m});
        } else if (word == "cell") {
            FuelCell c;
            if (!finiteNumber(in, a) || !finiteNumber(in, b) || !finiteNumber(in, m)) {
                why = where + "'cell' takes an rpm, a map and a multiplier";
                return false;
            }
            c.rpm = a;
            c.map = b;
            c.multiplier = m;
            double wr = 0, wm = 0;
            if (in >> wr) {
                if (!finiteNumber(in, wm) || !(wr > 0) || !(wm > 0)) {
                    why = where + "a cell's widths are an rpm width and a map width, both above 0";
                    return false;
                }
                c.rpmWidth = wr;
                c.mapWidth = wm;
            }
            e.cells.push_back(c);
        } else {
            why = where + "'" + word + "' is not rpm, map or cell";
            return false;
        }
        if (!(m > 0)) {
            why = where + "a multiplier must be above 0";
            return false;
        }
        std::string rest;
        in.clear();  // a cell without widths left the stream failed
        if (in >> rest) {
            why = where + "unexpected '" + rest + "'";
            return false;
        }
    }
    auto byPosition = [](const AxisPattern::Point& x, const AxisPattern::Point& y) { return x.at < y.at; };
    std::sort(e.rpm.points.begin(), e.rpm.points.end(), byPosition);
    std::sort(e.map.points.begin(), e.map.points.end(), byPosition);
    error = std::move(e);
    return true;
}

}  // namespace kvrsim
