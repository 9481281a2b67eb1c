// The ECU link: commands out, and the receive framer that sums, collects and
// judges the lines coming in (live records "*", setup lines "^", the values
// image ")"), each against the checksum it carries.
#include <string>

#include "dashboard/dashboard_core.h"
#include "dashboard/text_numbers.h"

namespace kvr {
namespace {

constexpr int kLiveSummed = 64;     // positions 1-64; checksum at 65-66
constexpr int kSetupSummed = 25;    // positions 1-25; checksum at 26-27
constexpr int kImageSummed = 2239;  // positions 1-2239; checksum at 2240-2243
// The longest legal line is the image text (2243 characters); a noisy line
// that never ends is cut here instead of growing without bound.
constexpr size_t kLineLimit = 8192;

}  // namespace

void DashboardCore::sendValuesRequest() {
    port_.puts(PortNumber, "D", 1);
    port_.putc(PortNumber, 13);
}

void DashboardCore::sendPoll() {
    port_.puts(PortNumber, "Q", 1);
    port_.putc(PortNumber, 13);
}

void DashboardCore::sendStop() {
    port_.puts(PortNumber, "S", 1);
    port_.putc(PortNumber, 13);
}

void DashboardCore::FETCH_SERIAL_TEXT() {
    // The queue is asked once per batch, not once per byte: every count it
    // gives is there to take, and each question is a system call.
    for (int waiting = 0;; --waiting) {
        if (waiting <= 0 && (waiting = port_.rxQue(PortNumber)) <= 0) return;
        LastChar = port_.getc(PortNumber);
        if (LastChar < 0) continue;
        const auto byte = static_cast<uint8_t>(LastChar);
        switch (byte) {
        case '*':
            CharCount = 0;
            LiveSum = 0;
            break;
        case '^':
            CharCount = 0;
            SetupSum = 0;
            memo("^ RCVD");
            break;
        case ')':
            CharCount = 0;
            ValuesSum = 0;
            break;
        default:
            break;
        }
        // Each sum covers its line's leading characters, counted from the
        // latest start character; the count wraps like the 16-bit field it is.
        if (CharCount < kLiveSummed) LiveSum = static_cast<uint8_t>(LiveSum + byte);
        if (CharCount < kSetupSummed) SetupSum = static_cast<uint8_t>(SetupSum + byte);
        if (CharCount < kImageSummed) ValuesSum += byte;
        CharCount = static_cast<uint16_t>(CharCount + 1);

        if (byte != 10) {
            if (LineBuffer.size() < kLineLimit) {
                LineBuffer.push_back(static_cast<char>(byte));
            } else if (!lineCut_) {
                lineCut_ = true;
                memo("Received line longer than " + std::to_string(kLineLimit) +
                     " characters: the rest is dropped up to its line end");
            }
            continue;
        }
        lineCut_ = false;
        if (!handleLine()) return;
        LineBuffer.clear();
    }
}

bool DashboardCore::handleLine() {
    if (LineBuffer.empty()) return true;
    switch (LineBuffer[0]) {
    case '*': return handleLiveRecord();
    case '^': return handleSetupLine();
    case ')': return handleImageText();
    default: return true;
    }
}

bool DashboardCore::handleLiveRecord() {
    const std::string digits = field(LineBuffer, 65, 2);
    // A field cut short by a short line cannot be read, like a garbled one.
    const auto received = digits.size() == 2 ? hexNumber(digits) : std::nullopt;
    if (!received) {
        memo("error in checksum read....$" + digits);
        LineBuffer.clear();
        sendPoll();
        return false;
    }
    if (*received == LiveSum) {
        out.AbLED4 = false;
        LiveRecord = LineBuffer;
        FIX_IGNITION_DATA();
        NewRecord = true;
        sendPoll();
    } else {
        NewRecord = false;
        out.AbLED4 = true;
        memo("checksum error....!$" + digits);
        memo(LineBuffer);
    }
    if (in.LogToMemo) memo(LiveRecord);
    return true;
}

bool DashboardCore::handleSetupLine() {
    const std::string digits = field(LineBuffer, 26, 2);
    const auto received = digits.size() == 2 ? hexNumber(digits) : std::nullopt;
    if (!received) {
        LineBuffer.clear();
        return false;
    }
    if (*received == SetupSum) {
        SetupLine = LineBuffer;
        memo(SetupLine);
        SetupReceived = true;
        out.AbLED4 = false;
    } else {
        out.AbLED4 = true;
        memo("SETUP CONFIG DATA checksum error.....");
        memo(std::to_string(*received - SetupSum) + " PCCHKSUM=" + std::to_string(SetupSum));
        memo(LineBuffer);
    }
    if (in.LogToMemo) memo(SetupLine);
    SetupSum = 0;
    return true;
}

bool DashboardCore::handleImageText() {
    ValuesSum %= 65536;
    memo(std::to_string(LineBuffer.size()));
    const std::string digits = field(LineBuffer, 2240, 4);
    const auto received = digits.size() == 4 ? hexNumber(digits) : std::nullopt;
    if (!received) {
        LineBuffer.clear();
        return false;
    }
    if (*received == ValuesSum) {
        ValuesText = LineBuffer;
        if (decodeValues) decodeValues();
        memo(ValuesText);
        ++out.notesClears;
        ValuesLoaded = true;
        out.AbLED4 = false;
        LOG_FREQUENCY();
    } else {
        out.AbLED4 = true;
        memo("KVR VALUES checksum error, trouble connecting to KVR computer.)");
        memo("DIFFERENCE=" + std::to_string(*received - ValuesSum) + " PCCHKSUM=" + std::to_string(ValuesSum));
        memo(LineBuffer);
        out.Timer1Interval = 1200;
    }
    return true;
}

void DashboardCore::FIX_IGNITION_DATA() {
    const long raw = decimalNumber(field(LiveRecord, 13, 2)).value_or(0);
    if (field(LiveRecord, 12, 1) == "-") {
        Ignition = static_cast<int32_t>(-raw);
        return;
    }
    Ignition = static_cast<int32_t>(56 - raw);
    if (LiveRecord.size() < 14) return;
    // The corrected advance goes back into the record, so the copy in the
    // message log reads as advance. A retard (raw above 56) is written the way
    // the ECU writes one: "-" in the sign position and the size in 13-14.
    const long shown = Ignition < 0 ? -Ignition : Ignition;
    std::string digits = shown >= 10 ? std::to_string(shown % 100) : " " + std::to_string(shown);
    if (Ignition < 0) LiveRecord[11] = '-';
    LiveRecord.replace(12, 2, digits);
}

void DashboardCore::LOG_FREQUENCY() {
    const auto value = decimalNumber(in.SpinEdit5Text);
    out.Timer1Interval = value ? static_cast<int>(*value - 5) : 40;
}

void DashboardCore::SpinEdit5Change(const std::string& text) {
    in.SpinEdit5Text = text;
    LOG_FREQUENCY();
}

}  // namespace kvr
