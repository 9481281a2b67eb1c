// The library's version and build numbers as SioInfo reports them: one
// decimal digit of the version per hexadecimal digit (0x1000 is 1.0.0.0).
#pragma once

namespace tolk {

constexpr int kVersion = 0x1000;
constexpr int kBuild = 0x0001;

}  // namespace tolk
