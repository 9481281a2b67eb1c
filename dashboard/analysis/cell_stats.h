// What the kept readings say about each cell of the RPM × MAP grid whose
// lines are the fuel map's bin centres: how many readings lie nearest the
// cell's centre, their weight there (bilinear, 1 at the centre, falling to 0
// at the neighbouring centres), the weighted mean and spread of measured /
// target, and after the fit the share of the error the two tables cannot
// give (the residual). A narrow-band log fills only the rich and lean counts.
#pragma once

#include <vector>

#include "dashboard/analysis/fuel_fit.h"

namespace kvr {

struct CellStats {
    int samples = 0;         // readings nearest this cell
    double weight = 0;       // effective samples: the sum of bilinear weights
    double meanRatio = 0;    // weighted mean of measured / target
    double spread = 0;       // weighted standard deviation of measured / target
    double residual = 0;     // weighted mean of log(measured / target) minus the fit's
    int rich = 0, lean = 0;  // narrow-band readings nearest this cell
};

class CellGrid {
public:
    CellGrid() : cells_(static_cast<size_t>(kRpmBins * kLoadBins)) {}

    CellStats& at(int rpmBin, int loadBin) {
        return cells_[static_cast<size_t>(rpmBin * kLoadBins + loadBin)];
    }
    const CellStats& at(int rpmBin, int loadBin) const {
        return cells_[static_cast<size_t>(rpmBin * kLoadBins + loadBin)];
    }

    // Fills samples, weight, meanRatio and spread from the readings, and the
    // residual when a solved fit is given. Once per grid.
    void addReadings(const std::vector<FitObservation>& readings, const FuelFit* fit);
    // Counts a narrow-band reading, rich or lean, in the cell nearest it.
    void addNarrowBand(const FitObservation& placed, bool rich);

private:
    std::vector<CellStats> cells_;
};

}  // namespace kvr
