// A connection's life: choosing and opening the port, fetching the values
// image, the polling tick, the receive framer, link health, reopening a
// device that went away, and closing. Each live record that passes its
// checksum is decoded once and handed to every registered sink, in order;
// link state changes go to the same sinks. The window and kvrtool both run
// one of these; neither keeps a copy of its rules.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dashboard/decode/live_record.h"
#include "dashboard/link/line_framer.h"
#include "dashboard/link/link_state.h"
#include "dashboard/link/serial_port.h"
#include "dashboard/session/message_log.h"
#include "dashboard/session/record_sink.h"

namespace kvr {

// What the window's lamps, queue gauge and port list show of the session.
struct SessionStatus {
    bool receiving = false;  // bytes are coming in (RxData)
    bool dataError = false;  // the last line failed its check, or the device went away
    int queueFill = 5;       // bytes waiting in the receive queue
    bool tickRunning = false;
    int tickIntervalMs = 500;
    std::vector<std::string> ports;  // "COM1".."COM40" that could be opened at the last scan
    int portIndex = -1;
    bool portChoiceEnabled = true;
    bool rescanEnabled = true;
};

class Session {
public:
    Session(SerialPort& port, MessageLog& messages);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // --- Sinks ----------------------------------------------------------------
    void addSink(RecordSink& sink);
    void removeSink(RecordSink& sink);

    // The values image is the owner's to decode: called when a good image
    // arrived (valuesText holds it), at the first tick that polls with it,
    // and when the user asks for it again.
    std::function<void()> onValuesImage;
    std::function<void()> onValuesInUse;
    std::function<void()> onValuesRequested;

    // --- The connection ---------------------------------------------------------
    void start();                  // the program starts: scan the ports, take the last one
    void scanPorts();              // fills status.ports, each port opened and closed once
    void choosePort(int index);    // closes what was open and takes the list's item
    void openChosenPort();         // opens it, asks for the values image, starts the tick
    // The same for a port given by number (kvrtool); `label` names it in the
    // status and link lines instead of "COMn" (a device path given for it).
    void openPort(int portNumber, const std::string& label = {});
    // "COM5", or the label the port was opened with.
    std::string portLabel() const;
    void closePort();
    void pause();   // stops polling: "S" to the ECU
    void resume();  // polls again
    void fetchValues();
    void shutDown();  // the program ends: the port is closed
    // The data interval in ms as the user typed it (45..9999); the tick runs
    // 5 ms faster so each record is asked for in time.
    void setDataInterval(const std::string& text);

    // --- The polling tick -----------------------------------------------------
    void tick();
    // A live record that passed its checksum elsewhere (a replay, a test):
    // its ignition corrected, decoded and handed to the sinks as the tick
    // hands a framed one. The link's health is not touched.
    void deliverRecord(const std::string& line);
    // Runs the framer over what the receive queue holds now, handing each
    // good record on (the tick's second half, for tests of the framer).
    void readQueue();
    // Tells the sinks when the link's state has changed since the last call;
    // the tick calls it, and so should anything that wakes when data goes
    // stale (staleAtMs), since going stale is a matter of time alone.
    void checkLink();

    // --- Link health ------------------------------------------------------------
    std::function<int64_t()> monotonicMs = steadyClockMs;
    std::function<double()> wallClockDays;  // local date-time; the system's by default
    LinkState linkState() const;
    std::string linkStatusText() const;
    bool linkLive() const { return linkState() == LinkState::Live; }
    bool reconnecting() const { return reconnecting_; }
    // A record older than this is stale: 1 s, or twice the data interval.
    int64_t freshnessLimitMs() const;
    // When the data goes stale if nothing new comes (ms of monotonicMs).
    int64_t staleAtMs() const { return lastRecordMs_ + freshnessLimitMs(); }
    // How long an unanswered poll is waited for before polling again.
    int64_t pollTimeoutMs() const;
    // A poll sent and not yet answered (for tests and the status line).
    bool pollPending() const { return pollSentMs_.has_value(); }

    // --- The hidden debugging buttons (they work on COM1) ------------------------
    void clearCom1Queue();
    void readCom1Text();
    void closeCom1();

    SessionStatus status;
    bool echoLines = false;  // every good line also goes to the text log
    // What stops the reopening, as the device-gone status line says it.
    std::string stopHint = "Close Com Port stops";
    std::string dataIntervalText = "45";

    int32_t portNumber = 0;
    bool portOpen = false;
    std::string portName;
    int32_t baudRate = 57600;

    // The newest live record that passed its checksum (ignition corrected),
    // and the newest setup line.
    std::string lastRecordLine;
    std::string setupLine;
    bool setupReceived = false;
    // Whether the newest live line passed its checksum.
    bool lastRecordGood = false;

    // The values image text: fetched from the ECU, or loaded with a log.
    std::string valuesText;
    bool valuesLoaded = false;  // an image passed its checksum on this connection
    std::string valuesSource;   // "ecu" or "pcdisk"
    int32_t fetchState = 0;     // 0 ask, 1 first drain, 2 draining
    bool valuesInUse = false;   // the tick has polled with this image
    int32_t softwareVersion = 0;  // major * 100 + minor, from the image's decode

    LineFramer framer;

private:
    std::string portLabel_;  // set by openPort(number, label)
    void sendCommand(char letter);
    void poll();         // "Q" unless an answer is pending (or one per tick is sent)
    void sendPollNow();  // "Q", with the answer marked pending
    void drainBytes(int count);
    bool handleLine();
    bool handleLiveRecord();
    bool handleSetupLine();
    bool handleImageText();
    void decodeAndDeliver();
    void clearLinkState();
    void takePortChoice();
    void closeAndChoose();
    int queuedBytes();
    void reportLostDevice(int result);
    void tryReopen();
    void resetLinkWatch();
    void readTickInterval();

    SerialPort& port_;
    MessageLog& messages_;
    std::vector<RecordSink*> sinks_;

    bool deviceLost_ = false;  // the lost-device line was written for this open
    bool paused_ = false;
    bool reconnecting_ = false;
    int64_t lastRecordMs_ = 0;
    int64_t openedMs_ = 0;
    bool recordSinceOpen_ = false;
    int64_t lostMs_ = 0;
    int64_t nextReopenMs_ = 0;
    std::optional<int64_t> pollSentMs_;  // when the unanswered poll went out
    bool polledThisTick_ = false;
    LinkState reportedState_ = LinkState::Closed;
    int64_t liveUntilMs_ = 0;
};

// "COM1".."COM40" to 0..39; -1 for any other text.
int portNumberFromName(const std::string& name);

}  // namespace kvr
