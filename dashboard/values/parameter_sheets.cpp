#include "dashboard/values/parameter_sheets.h"

#include "dashboard/values/image_reads.h"
#include "dashboard/values/sheet_fill.h"
#include "dashboard/values/values_image.h"

namespace kvr {

FillOutcome ParameterSheets::valuestogridcells(const std::string& valuesText, const FillContext& context) {
    // Decode into copies and keep them only when every pair read was hexadecimal: a bad pair must
    // not leave the sheets half from this image and half from the last one.
    SheetSet sheets = sheets_;
    ValuesInfo info = info_;
    DateTimeSeparators separators = separators_;
    FillOutcome outcome;
    ImageReads image(valuesText);
    SheetFill(image, info, sheets, separators, outcome).run(context);

    if (const int bad = image.firstBadPosition()) {
        FillOutcome refused;
        refused.memoLines.push_back("KVR VALUES not decoded: no hexadecimal pair at position " +
                                    std::to_string(bad) + ", sheets unchanged");
        return refused;
    }
    sheets_ = std::move(sheets);
    info_ = std::move(info);
    separators_ = separators;
    outcome.decoded = true;
    return outcome;
}

std::vector<std::string> debugButtonMemoLines(const std::string& valuesText) {
    return {"108", ValuesImage(valuesText).charsAt(108, 2)};
}

void SheetFill::run(const FillContext& context) {
    deriveValues();
    chooseLabels();
    fillLoadFuel();
    fillRpmFuel();
    fillAccelPump();
    fillEngineTempFuel();
    fillIgnitionByLoad();
    fillIgnitionByRpm();
    fillStartNumbers();
    set(12, 0, 0, decimalText(img_.byte(byte::StartCycles)));
    fillAirTemp();
    fillIdle();
    fillIgnitionRelated();
    fillClosedLoop();
    fillCutoffs();
    fillOptions();
    fillTrim();
    fillCrankRetard();
    fillLeanWithPin13();
    fillGaugeAndLop();
    clearFuelOnlyLeftover();
    fillLoadCaptions();
    fillSetupMode();
    fillSystem();
    fillFileInformation(context);
}

std::string SheetFill::loadLabel(std::optional<int> index) const {
    return index ? info_.LoadLabels[static_cast<std::size_t>(*index & 0x3F)] : std::string();
}

std::string SheetFill::engineTempLabel(std::optional<int> index) const {
    return index ? info_.TempLabels[static_cast<std::size_t>(kEngineTempLabelBase + (*index & 0x1F))]
                 : std::string();
}

}  // namespace kvr
