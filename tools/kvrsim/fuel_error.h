// How the simulated engine's fuel need departs from what a reference values
// image delivers: E0(rpm, map) = fR(rpm) × fM(map) × fI(rpm, map). fR and fM
// are what the RPM and load fuel tables can put right; fI, a change tied to
// speed and load together, is what no two-table image can.
//
// E0 above 1: the engine needs more than the image gives and runs lean.
// The MAP axis is in the gauge form whatever the image's sensor: inHg of
// vacuum below 0, psi of boost above.
#pragma once

#include <string>
#include <vector>

namespace kvrsim {

// A multiplier along one axis: points joined by straight lines (held flat
// beyond the first and last; none: 1), times 1 + the sum of cosine waves.
struct AxisPattern {
    struct Point {
        double at = 0, multiplier = 1;
    };
    struct Wave {
        double amount = 0, period = 1, phase = 0;  // amount × cos(2π (x − phase) / period)
    };
    std::vector<Point> points;  // increasing `at`
    std::vector<Wave> waves;

    double at(double x) const;
};

// A smooth local change of the need around one speed and load: the
// multiplier at its centre, fading as a Gaussian (1/e at one width away).
struct FuelCell {
    double rpm = 0, map = 0, multiplier = 1;
    double rpmWidth = 600, mapWidth = 3;

    double at(double rpm, double map) const;
};

struct FuelError {
    std::string name = "none";
    AxisPattern rpm;               // fR
    AxisPattern map;               // fM
    std::vector<FuelCell> cells;   // fI is their product

    double rpmFactor(double rpm) const { return this->rpm.at(rpm); }
    double mapFactor(double gaugeMap) const { return map.at(gaugeMap); }
    double interactionAt(double rpm, double gaugeMap) const;
    // E0: all three.
    double multiplierAt(double rpm, double gaugeMap) const;
};

// The built-in errors by name: none, mild, wild, lean.
const std::vector<std::string>& fuelErrorPresets();
// False when `name` is no preset.
bool fuelErrorPreset(const std::string& name, FuelError& error);

// Reads the text form, one statement a line ('#' starts a comment):
//   rpm <rpm> <multiplier>
//   map <map> <multiplier>
//   cell <rpm> <map> <multiplier> [<rpm width> <map width>]
// rpm and map points are joined by straight lines; cells multiply on top.
// False with "line N: why" when a line is wrong.
bool parseFuelError(const std::string& text, FuelError& error, std::string& why);

}  // namespace kvrsim
