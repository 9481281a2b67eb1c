#include "fuel_model.h"

#include <algorithm>
#include <limits>

#include "engine_breathing.h"

namespace kvrsim {
namespace {

double ratio(double want, double have) {
    return have > 0 ? want / have : std::numeric_limits<double>::infinity();
}

}  // namespace

FuelModel::FuelModel(kvr::FuelMap served, kvr::FuelMap reference, FuelError error)
    : served_(std::move(served)), reference_(std::move(reference)), error_(std::move(error)) {}

double FuelModel::targetAfr(double gauge) {
    if (gauge <= -5) return 14.7;
    if (gauge >= 0) return 12.5;
    return 12.5 + (14.7 - 12.5) * (-gauge / 5);
}

double FuelModel::gaugeMapOf(double mapValue) const {
    return gaugeMap(kvr::mapKpaAbsolute(mapValue, served_.mapForm));
}

double FuelModel::referenceMapOf(double mapValue) const {
    if (reference_.mapForm == served_.mapForm) return mapValue;
    return ecuMapValue(kvr::mapKpaAbsolute(mapValue, served_.mapForm), reference_.mapForm);
}

double FuelModel::delivered(double rpm, double mapValue, double engineTemp) const {
    return kvr::fuelDelivered(served_, rpm, mapValue, engineTemp);
}

double FuelModel::need(double rpm, double mapValue) const {
    return kvr::fuelDelivered(reference_, rpm, referenceMapOf(mapValue), kWarmEngineTemp) *
           error_.multiplierAt(rpm, gaugeMapOf(mapValue));
}

double FuelModel::errorAt(double rpm, double mapValue) const {
    return ratio(need(rpm, mapValue), delivered(rpm, mapValue, kWarmEngineTemp));
}

double FuelModel::trueAfr(double rpm, double mapValue, double engineTemp) const {
    return targetAfr(gaugeMapOf(mapValue)) * ratio(need(rpm, mapValue), delivered(rpm, mapValue, engineTemp));
}

std::optional<FuelModel> makeFuelModel(const std::string& servedImage, const std::string& referenceImage,
                                       const FuelError& error, std::string& why) {
    kvr::FuelMap served, reference;
    if (!kvr::readFuelMap(servedImage, served, why)) return std::nullopt;
    if (!kvr::readFuelMap(referenceImage, reference, why)) {
        why = "the fuel reference: " + why;
        return std::nullopt;
    }
    return FuelModel(served, reference, error);
}

FuelTruth fuelTruth(const FuelModel& engine, const kvr::FuelMap& image) {
    const kvr::FuelMap& ref = engine.reference();
    const FuelError& error = engine.error();
    FuelTruth truth;
    for (int r = 0; r < kvr::kRpmBins; ++r) {
        const double rpm = image.rpmCentres[r];
        truth.rpm[r] = ratio(kvr::rpmNumberAt(ref, rpm) * error.rpmFactor(rpm), image.rpmNumbers[r]);
    }
    // Warm-up fuel the two images give the warm engine, folded into the load table.
    const double warm =
        kvr::warmupFactorAt(ref, FuelModel::kWarmEngineTemp) / kvr::warmupFactorAt(image, FuelModel::kWarmEngineTemp);
    for (int j = 0; j < kvr::kLoadBins; ++j) {
        const double kpa = kvr::mapKpaAbsolute(image.loadCentres[j], image.mapForm);
        const double refLoad = kvr::loadNumberAt(ref, ecuMapValue(kpa, ref.mapForm));
        truth.load[j] = ratio(refLoad * error.mapFactor(gaugeMap(kpa)) * warm, image.loadNumbers[j]);
    }
    return truth;
}

FuelTruth fuelTruth(const FuelError& error, const kvr::FuelMap& image) {
    return fuelTruth(FuelModel(image, image, error), image);
}

}  // namespace kvrsim
