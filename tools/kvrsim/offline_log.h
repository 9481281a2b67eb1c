// kvrsim --write-log: a drive written straight to a data log, faster than
// real time, as kvrtool log would have written it at the line's rate: for
// trying the tuning analysis on a known engine without waiting for the drive.
#pragma once

#include <string>

#include "engine_model.h"

namespace kvrsim {

// Writes `seconds` of `engine`'s records at `ratePerSecond` to `path`,
// decoded against `image`. False with the reason.
bool writeOfflineLog(const EngineModel& engine, const std::string& image, unsigned seed, double seconds,
                     double ratePerSecond, const std::string& path, std::string& why);

}  // namespace kvrsim
