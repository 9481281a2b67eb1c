// The map drive's live records: the drive's engine as the ECU reads it, fed
// by the fuel model. The ECU fuels by what it reads (MAP to 0.1, whole
// degrees), so the record shows exactly what the fuel was worked out from.
#include <algorithm>
#include <cmath>

#include "default_values_image.h"
#include "engine_model.h"
#include "field_text.h"
#include "map_drive.h"
#include "wideband_sensor.h"

namespace kvrsim {
namespace {

constexpr double kInjectorOpeningMs = 0.8;  // dead time before fuel flows
constexpr double kFuelPerMs = 3200;          // delivered units per ms of open injector

FuelModel builtInFuel() {
    std::string why;
    const std::string image = defaultValuesImage();
    return *makeFuelModel(image, image, FuelError{}, why);
}

}  // namespace

struct EngineModel::EcuView {
    DriveState state;
    double mapValue = 0;    // the MAP the ECU reads, in its units, to 0.1
    double engineTemp = 0;  // whole degrees, as sent
    double delivered = 0;   // fuel it gives now: the accelerator pump's shot in, none while cut
};

EngineModel::EngineModel(EngineSettings settings) : settings_(settings) {
    if (settings_.drive == Drive::Map && !settings_.stalled) {
        mapDrive_ = std::make_shared<const MapDrive>(settings_.seed);
        fuel_ = std::make_shared<const FuelModel>(builtInFuel());
    }
}

EngineModel::EngineModel(EngineSettings settings, FuelModel fuel) : settings_(settings) {
    if (settings_.drive == Drive::Map && !settings_.stalled) {
        mapDrive_ = std::make_shared<const MapDrive>(settings_.seed);
        fuel_ = std::make_shared<const FuelModel>(std::move(fuel));
    }
}

EngineModel::EcuView EngineModel::mapDriveView(double t) const {
    EcuView v;
    v.state = mapDrive_->at(t);
    const kvr::FuelMap& served = fuel_->served();
    // The sensor reads no further than the load table goes.
    const double map = std::clamp(ecuMapValue(v.state.mapKpa, served.mapForm), served.loadCentres.front(),
                                  served.loadCentres.back());
    v.mapValue = std::round(map * 10) / 10;
    v.engineTemp = std::round(v.state.engineTemp);
    if (!v.state.fuelCut) {
        v.delivered = fuel_->delivered(v.state.rpm, v.mapValue, v.engineTemp) *
                      (1 + kAccelPumpShare * v.state.accelPump);
    }
    return v;
}

double EngineModel::trueAfrAt(double t) const {
    if (!mapDrive_) return 14.7;
    const EcuView v = mapDriveView(t);
    if (v.state.fuelCut) return kFuelCutAfr;
    return fuel_->trueAfr(v.state.rpm, v.mapValue, v.engineTemp) / (1 + kAccelPumpShare * v.state.accelPump);
}

double EngineModel::mapDriveAdvance(double t) const {
    const DriveState s = mapDrive_->at(t);
    const double boost = std::max(0.0, gaugeMap(s.mapKpa));
    // Advance climbs with speed from 10 degrees at idle, less 1.2 a psi of boost.
    return 10 + 25 * std::clamp((s.rpm - 850) / 2500, 0.0, 1.0) - 1.2 * boost - 3.0 * mapDriveKnock(t);
}

unsigned EngineModel::mapDriveKnock(double t) const {
    // It knocks lightly on the highest boost.
    return gaugeMap(mapDrive_->at(t).mapKpa) >= 9.5 ? 1 : 0;
}

kvr::LiveFields EngineModel::mapDriveFields(double t) const {
    const EcuView v = mapDriveView(t);
    const double rpm = v.state.rpm;
    kvr::LiveFields f;
    f.map = realField(v.mapValue, 5, 1);
    f.running = static_cast<int>(rpm / 100);
    f.knock = mapDriveKnock(t);
    f.ignitionSign = ' ';
    f.ignitionRaw = 56 + static_cast<int>(std::lround(mapDriveAdvance(t)));

    const double afr = trueAfrAt(t);
    f.afr = settings_.o2Volts ? o2VoltsField(narrowBandVolts(afr))
                              : afrField(std::clamp(afr, WidebandSensor::kRichest, WidebandSensor::kLeanest));

    f.throttle = static_cast<int>(std::clamp(v.state.throttle, 0.0, 63.0));
    f.battery = realField(13.6 + 0.3 * std::sin(t * 0.2), 4, 1);
    f.engineTemp = integerField(std::lround(v.engineTemp), 3);
    f.engineTempUnit = 'F';
    f.airTemp = integerField(std::lround(v.state.airTemp), 3);
    f.airTempUnit = 'F';

    // The pulse: the injector's dead time plus what the map asks for, in
    // the time one engine cycle leaves.
    const double cycleMs = 120000.0 / rpm;
    const double pulseMs = v.delivered > 0 ? std::min(kInjectorOpeningMs + v.delivered / kFuelPerMs, 0.95 * cycleMs) : 0;
    f.pulseCount = static_cast<unsigned>(std::min(pulseMs * (settings_.pulseInMicros ? 1000 : 2000), 65535.0));
    const double periodCount = (120.0 / settings_.cylinders) * 2000000.0 / rpm;
    f.period = static_cast<unsigned>(std::min(periodCount, double(0xFFFFFF)));
    f.duty = integerField(std::lround(std::min(pulseMs / cycleMs * 100, 99.0)), 3);
    f.knob = integerField(50, 3);

    unsigned outputs = 0x02;                   // fuel pump runs with the engine
    if (rpm > 4500) outputs |= 0x01;           // RPM relay
    if (v.engineTemp < 120) outputs |= 0x04;   // fast idle while cold
    if (v.engineTemp > 185) outputs |= 0x08;   // radiator fan
    f.outputs = outputs;
    f.checkEngine = 0;
    return f;
}

}  // namespace kvrsim
