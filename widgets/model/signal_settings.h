// TSignalSettings and TChSettings: a signal's digital and engineering ranges,
// unit and number format, and (for a channel) its current value and digit.
// Shared by the trend recorder's channels and the dial meters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kvr {

class TSignalSettings {
public:
    virtual ~TSignalSettings() = default;

    int32_t DigitalFrom() const { return digitalFrom_; }
    int32_t DigitalTo() const { return digitalTo_; }
    float ValueFrom() const { return valueFrom_; }
    float ValueTo() const { return valueTo_; }
    const std::string& ValueUnit() const { return valueUnit_; }
    const std::string& ValueFormat() const { return valueFormat_; }
    const std::string& Name1() const { return name1_; }
    const std::string& Name2() const { return name2_; }

    void setDigitalFrom(int32_t v);
    void setDigitalTo(int32_t v);
    // A new bound equal to either current bound is ignored; a lower bound of
    // exactly 0 is stored as 0.000001.
    void setValueFrom(float v);
    void setValueTo(float v);
    void setValueUnit(const std::string& unit);
    void setValueFormat(const std::string& format);
    void setName1(const std::string& n);
    void setName2(const std::string& n);

    float valueSpan() const { return valueSpan_; }
    int32_t digitSpan() const { return digitSpan_; }
    double valuePerDigit() const { return valuePerDigit_; }
    double digitsPerValue() const { return digitsPerValue_; }

    // Called after any range, format, unit or name change.
    std::function<void()> onSettingsChange;

protected:
    virtual void rangeChanged();
    void changed();

private:
    int32_t digitalFrom_ = 0;
    int32_t digitalTo_ = 1000;
    float valueFrom_ = 0;
    float valueTo_ = 100;
    std::string valueUnit_ = "%";
    std::string valueFormat_ = "##0.0";
    std::string name1_ = "SignalName1";
    std::string name2_ = "SignalName2";
    float valueSpan_ = 100;
    int32_t digitSpan_ = 1000;
    double valuePerDigit_ = 0.1;
    double digitsPerValue_ = 10;
};

// A signal with a live value: the engineering value and its digit move together.
class TChSettings : public TSignalSettings {
public:
    float Value() const { return value_; }
    int32_t Digit() const { return digit_; }
    // The digit relative to DigitalFrom.
    int32_t relativeDigit() const { return relativeDigit_; }

    // An equal value does nothing; otherwise the digit follows (rounded half
    // to even) and onValueChange fires.
    void setValue(float v);
    void setDigit(int32_t d);
    // Re-derives the digit from the current value (after a range change).
    void refreshDigit();

    std::function<void()> onValueChange;

    // How a trend draws the channel's line. A change fires onSettingsChange.
    uint32_t Color() const { return color_; }  // 0xRRGGBB
    int PenWidth() const { return penWidth_; }
    bool Visible() const { return visible_; }
    void setColor(uint32_t rgb);
    void setPenWidth(int width);
    void setVisible(bool visible);

private:
    float value_ = 0;
    int32_t digit_ = 0;
    int32_t relativeDigit_ = 0;
    uint32_t color_ = 0x000000;
    int penWidth_ = 1;
    bool visible_ = true;
};

}  // namespace kvr
