// The engine's fuelling as the simulator sees it. The ECU delivers what the
// values image it serves says (RPM number × load number × warm-up factor,
// see dashboard/analysis/fuel_map.h). The engine needs, once warm, what a
// reference image delivers at the warm engine's temperature times the fuel
// error E0. So the true mixture is
//   AFR = target(MAP) × need / delivered,
// the target when the served image is right, and rich while the engine is
// cold by as much warm-up fuel as the served image adds.
//
// The need belongs to the engine and stays when the served image changes:
// serving a corrected image moves the mixture toward the target.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "dashboard/analysis/fuel_map.h"
#include "fuel_error.h"

namespace kvrsim {

class FuelModel {
public:
    // The warm engine's temperature, °F: the engine needs no warm-up fuel
    // beyond what the reference image gives here.
    static constexpr double kWarmEngineTemp = 180;

    FuelModel(kvr::FuelMap served, kvr::FuelMap reference, FuelError error);

    // The mixture the engine is tuned for at a gauge pressure: 14.7 in
    // vacuum below 5 inHg, easing to 12.5 at the atmosphere, 12.5 on boost.
    static double targetAfr(double gaugeMap);

    // The rest take MAP in the served image's units, as the record carries it.
    double gaugeMapOf(double mapValue) const;
    // Fuel the served image delivers (relative units).
    double delivered(double rpm, double mapValue, double engineTemp) const;
    // Fuel the warm engine needs, in the same units.
    double need(double rpm, double mapValue) const;
    // need / delivered of the warm engine: 1 where the served image is right.
    double errorAt(double rpm, double mapValue) const;
    double trueAfr(double rpm, double mapValue, double engineTemp) const;

    const kvr::FuelMap& served() const { return served_; }
    const kvr::FuelMap& reference() const { return reference_; }
    const FuelError& error() const { return error_; }

private:
    // The reference image's MAP value for a served one (the two may read
    // their sensors in different forms).
    double referenceMapOf(double mapValue) const;

    kvr::FuelMap served_, reference_;
    FuelError error_;
};

// A model from image texts; empty, with the reason, when either image's
// fuel map cannot be read.
std::optional<FuelModel> makeFuelModel(const std::string& servedImage, const std::string& referenceImage,
                                       const FuelError& error, std::string& why);

// What a perfect fit of the two tables would do to an image's fuel numbers:
// the factor for each RPM number and each load number that makes the image
// deliver what the engine needs when warm, at every pair of bin centres,
// but for the interaction fI. The product of an RPM and a load factor is
// exact; how a common scale is shared between the two tables is not (here
// the load factors carry any difference in warm-up fuel). A fuel number of
// 0 gets an infinite factor.
struct FuelTruth {
    std::array<double, kvr::kRpmBins> rpm{};
    std::array<double, kvr::kLoadBins> load{};
};
FuelTruth fuelTruth(const FuelModel& engine, const kvr::FuelMap& image);
// The same when `image` is also the image the engine's need is relative to:
// the factors are fR and fM at the image's bin centres.
FuelTruth fuelTruth(const FuelError& error, const kvr::FuelMap& image);

}  // namespace kvrsim
