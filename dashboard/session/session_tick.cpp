// The polling tick: asks for the values image, keeps the ECU sending live
// records, runs the framer over what the queue holds and hands each good
// record, decoded, to the sinks.
#include <algorithm>

#include "dashboard/decode/text_numbers.h"
#include "dashboard/session/session.h"

namespace kvr {

void Session::sendCommand(char letter) {
    port_.puts(portNumber, &letter, 1);
    port_.putc(portNumber, 13);
}

void Session::sendPollNow() {
    sendCommand('Q');
    pollSentMs_ = monotonicMs();
    polledThisTick_ = true;
}

// A poll goes out only when no answer is pending, or the pending one has
// waited past the timeout (the ECU lost it), and at most once a tick. More
// than one poll in flight would have the ECU answer back to back, as fast as
// the line allows, whatever the data interval.
void Session::poll() {
    if (polledThisTick_) return;
    if (pollSentMs_ && monotonicMs() - *pollSentMs_ < pollTimeoutMs()) return;
    sendPollNow();
}

int64_t Session::pollTimeoutMs() const {
    const auto interval = decimalNumber(dataIntervalText);
    const int64_t dataInterval = interval ? std::clamp<int64_t>(*interval, 0, 9999) : 45;
    return std::max<int64_t>(200, 2 * dataInterval);
}

void Session::setDataInterval(const std::string& text) {
    dataIntervalText = text;
    readTickInterval();
}

void Session::readTickInterval() {
    const auto value = decimalNumber(dataIntervalText);
    status.tickIntervalMs = value ? static_cast<int>(*value - 5) : 40;
}

int Session::queuedBytes() {
    const int n = port_.rxQue(portNumber);
    if (n < 0) reportLostDevice(n);
    return n;
}

void Session::tick() {
    polledThisTick_ = false;
    if (reconnecting_) {
        tryReopen();
        if (reconnecting_) return checkLink();
    }
    // The queue is asked once a tick: every count it gives is there to take,
    // and each question is a system call.
    int queued = 0;
    if (portOpen) {
        queued = queuedBytes();
        if (reconnecting_) return checkLink();  // the device went away just now
        status.queueFill = std::max(queued, 0);
    }
    if (queued < 10) status.receiving = false;

    if (fetchState == 0 && !valuesLoaded) {
        messages_.add("SENDING D");
        sendCommand('D');
        fetchState = 1;
        valuesSource = "ecu";
        return checkLink();
    }
    if (valuesLoaded && !valuesInUse) {
        valuesInUse = true;
        if (onValuesInUse) onValuesInUse();
    }
    if (valuesLoaded && portOpen && queued == 0) poll();
    if (queued > 2) status.receiving = true;
    if (fetchState >= 1) drainBytes(queued);
    if (fetchState == 1) {
        messages_.add("FETCH SERIAL TEXT");
        messages_.add("SER BUFFER" + std::to_string(port_.rxQue(portNumber)));
        fetchState = 2;
    }
    checkLink();
}

void Session::readQueue() {
    const int queued = port_.rxQue(portNumber);
    if (queued > 0) drainBytes(queued);
}

void Session::drainBytes(int count) {
    for (; count > 0; --count) {
        const int c = port_.getc(portNumber);
        if (c < 0) continue;
        switch (framer.take(static_cast<uint8_t>(c))) {
        case LineFramer::Step::Byte: break;
        case LineFramer::Step::SetupStart: messages_.add("^ RCVD"); break;
        case LineFramer::Step::LineCut:
            messages_.add("Received line longer than " + std::to_string(LineFramer::kLineLimit) +
                          " characters: the rest is dropped up to its line end");
            break;
        case LineFramer::Step::LineEnd:
            if (!handleLine()) return;  // the rest waits for the next tick
            framer.clearLine();
            break;
        }
    }
}

void Session::deliverRecord(const std::string& line) {
    lastRecordLine = line;
    correctIgnition(lastRecordLine);
    decodeAndDeliver();
}

void Session::decodeAndDeliver() {
    LiveRecord record = decodeLiveRecord(lastRecordLine, RecordContext{&valuesText, softwareVersion});
    record.arrivalMs = lastRecordMs_;
    record.arrivalDays = wallClockDays ? wallClockDays() : 0;
    // A copy: a sink may unregister itself while it is called.
    const std::vector<RecordSink*> sinks = sinks_;
    for (RecordSink* sink : sinks) sink->onRecord(record);
}

bool Session::handleLine() {
    const std::string& line = framer.line();
    if (line.empty()) return true;
    switch (line[0]) {
    case '*': return handleLiveRecord();
    case '^': return handleSetupLine();
    case ')': return handleImageText();
    default: return true;
    }
}

bool Session::handleLiveRecord() {
    const std::string& line = framer.line();
    // Whatever its state, the line is the answer to the poll.
    pollSentMs_.reset();
    const std::string digits = field(line, 65, 2);
    // A field cut short by a short line cannot be read, like a garbled one.
    const auto received = digits.size() == 2 ? hexNumber(digits) : std::nullopt;
    if (!received) {
        messages_.add("error in checksum read....$" + digits);
        framer.clearLine();
        poll();
        return false;
    }
    if (*received == framer.liveSum()) {
        status.dataError = false;
        lastRecordLine = line;
        correctIgnition(lastRecordLine);
        lastRecordGood = true;
        poll();
        // Every good record is handed on as it is read, also when several
        // arrive in one tick, and whatever the lines after it hold.
        lastRecordMs_ = monotonicMs();
        recordSinceOpen_ = true;
        checkLink();
        decodeAndDeliver();
    } else {
        lastRecordGood = false;
        status.dataError = true;
        messages_.add("checksum error....!$" + digits);
        messages_.add(line);
    }
    if (echoLines) messages_.add(lastRecordLine);
    return true;
}

bool Session::handleSetupLine() {
    const std::string& line = framer.line();
    const std::string digits = field(line, 26, 2);
    const auto received = digits.size() == 2 ? hexNumber(digits) : std::nullopt;
    if (!received) {
        framer.clearLine();
        return false;
    }
    const int sum = framer.setupSum();
    if (*received == sum) {
        setupLine = line;
        messages_.add(setupLine);
        setupReceived = true;
        status.dataError = false;
    } else {
        status.dataError = true;
        messages_.add("SETUP CONFIG DATA checksum error.....");
        messages_.add(std::to_string(*received - sum) + " PCCHKSUM=" + std::to_string(sum));
        messages_.add(line);
    }
    if (echoLines) messages_.add(setupLine);
    framer.clearSetupSum();
    return true;
}

bool Session::handleImageText() {
    const std::string& line = framer.line();
    const int32_t sum = framer.imageSum();
    messages_.add(std::to_string(line.size()));
    const std::string digits = field(line, 2240, 4);
    const auto received = digits.size() == 4 ? hexNumber(digits) : std::nullopt;
    if (!received) {
        framer.clearLine();
        return false;
    }
    if (*received == sum) {
        valuesText = line;
        if (onValuesImage) onValuesImage();
        messages_.add(valuesText);
        valuesLoaded = true;
        pollSentMs_.reset();  // the ECU answered the image request, not a poll
        status.dataError = false;
        readTickInterval();
    } else {
        status.dataError = true;
        messages_.add("KVR VALUES checksum error, trouble connecting to KVR computer.)");
        messages_.add("DIFFERENCE=" + std::to_string(*received - sum) + " PCCHKSUM=" + std::to_string(sum));
        messages_.add(line);
        status.tickIntervalMs = 1200;
    }
    return true;
}

}  // namespace kvr
