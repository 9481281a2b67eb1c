// The ECU's fuel map as the tuning analysis and the simulator's engine see
// it: the RPM fuel numbers (38 bins), the load fuel numbers (64 bins, by
// manifold pressure) and the warm-up numbers (32 bins, by engine
// temperature), each with the centre of its bin read from the image's labels,
// and the fuel they deliver.
//
// The fuel model assumed: fuel delivered ∝ RPM number × load number ×
// warm-up factor, each read between bin centres by linear interpolation
// (held flat beyond the first and last centre). The warm-up factor is
// 1 + number / 256. These are assumptions about the ECU, stated in the
// README with what breaks them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dashboard/datalog/data_log_columns.h"

namespace kvr {

constexpr int kRpmBins = 38;
constexpr int kLoadBins = 64;
constexpr int kWarmupBins = 32;

struct FuelMap {
    int32_t softwareVersion = 0;
    // RPM fuel numbers are 16-bit from software 31.00; otherwise 8-bit.
    bool rpmNumbersWide = false;
    MapForm mapForm = MapForm::Gauge;

    // Bin centres in increasing order of their index: RPM bins in 1/min,
    // load bins in the ECU's MAP units (the MAP column of the data log),
    // warm-up bins in the engine temperature's unit (they fall with the index).
    std::array<double, kRpmBins> rpmCentres{};
    std::array<double, kLoadBins> loadCentres{};
    std::array<double, kWarmupBins> warmupCentres{};
    std::array<int, kRpmBins> rpmNumbers{};
    std::array<int, kLoadBins> loadNumbers{};
    std::array<int, kWarmupBins> warmupNumbers{};

    int rpmNumberMax() const { return rpmNumbersWide ? 65535 : 255; }
    static constexpr int kLoadNumberMax = 255;
};

// Reads the fuel map of a values image text. False, with the reason, when
// the image cannot be decoded or a bin's label is not a number (a load table
// by throttle position, without a MAP sensor, is refused).
bool readFuelMap(const std::string& imageText, FuelMap& map, std::string& error);

// The image text with the RPM and load fuel numbers of `map` written in
// (high bytes too where the software keeps 16 bits) and its checksum made
// good. Numbers are clamped to their stored range.
std::string withFuelNumbers(const std::string& imageText, const FuelMap& map);

// Linear interpolation between bin centres, flat beyond the ends. The
// centres may rise or fall; `at` gets the two bins and the weight of the
// second (0 at the first bin, 1 at the second).
struct BinPosition {
    int low = 0, high = 0;
    double weight = 0;  // of `high`
};
BinPosition binPosition(const double* centres, int count, double x);

// The fuel the map delivers at a point, relative units (RPM number × load
// number × warm-up factor, each interpolated).
double fuelDelivered(const FuelMap& map, double rpm, double mapValue, double engineTemp);

// The three factors separately.
double rpmNumberAt(const FuelMap& map, double rpm);
double loadNumberAt(const FuelMap& map, double mapValue);
double warmupFactorAt(const FuelMap& map, double engineTemp);

}  // namespace kvr
