// One decode pass over an image: sets the derived values, then writes the sheets in their fill
// order. Works on the state it is given; ParameterSheets hands it a copy so a refused image
// changes nothing.
#pragma once

#include "dashboard/values/date_format.h"
#include "dashboard/values/fill_context.h"
#include "dashboard/values/image_reads.h"
#include "dashboard/values/values_layout.h"
#include "dashboard/values/parameter_sheets.h"

namespace kvr {

class SheetFill {
public:
    SheetFill(ImageReads& image, ValuesInfo& info, SheetSet& sheets, DateTimeSeparators& separators,
              FillOutcome& outcome)
        : img_(image), info_(info), sheets_(sheets), separators_(separators), out_(outcome) {}

    void run(const FillContext& context);

private:
    // derive_values.cpp
    void deriveValues();
    void chooseLabels();
    // sheet_fill_tables.cpp
    void fillLoadFuel();
    void fillRpmFuel();
    void fillAccelPump();
    void fillEngineTempFuel();
    void fillIgnitionByLoad();
    void fillIgnitionByRpm();
    void fillStartNumbers();
    void fillAirTemp();
    // sheet_fill_settings.cpp
    void fillIdle();
    void fillIgnitionRelated();
    void fillClosedLoop();
    void fillCutoffs();
    void fillOptions();
    void fillTrim();
    void fillCrankRetard();
    void fillLeanWithPin13();
    void fillGaugeAndLop();
    void clearFuelOnlyLeftover();
    void fillLoadCaptions();
    void fillSetupMode();
    void fillSystem();
    // file_information.cpp
    void fillFileInformation(const FillContext& context);

    std::string loadLabel(std::optional<int> index) const;
    std::string engineTempLabel(std::optional<int> index) const;
    std::string fuelOnlyOr(std::string text) const { return info_.FuelOnly ? "FUEL ONLY" : text; }
    void set(int grid, int col, int row, std::string text) { sheets_.grid(grid).set(col, row, std::move(text)); }
    void setRow(int grid, int row, std::string caption, std::string value) {
        set(grid, 0, row, std::move(caption));
        set(grid, 1, row, std::move(value));
    }
    void memo(std::string line) { out_.memoLines.push_back(std::move(line)); }

    ImageReads& img_;
    ValuesInfo& info_;
    SheetSet& sheets_;
    DateTimeSeparators& separators_;
    FillOutcome& out_;
    int leanWarningRow_ = 7;
};

}  // namespace kvr
