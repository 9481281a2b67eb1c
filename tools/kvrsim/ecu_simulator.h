// The ECU's side of the link, without the wire: commands in, lines out.
// "D" CR answers with the values image, "Q" CR with the next live record
// (from the engine model or a replayed log), "S" CR makes it go quiet; a
// setup line goes out now and then. Faults spoil chosen records so the
// dashboard's error handling can be exercised.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "engine_model.h"
#include "live_record_source.h"

namespace kvrsim {

enum class Fault {
    None,
    BadChecksum,         // a live record with wrong checksum digits
    UnreadableChecksum,  // a live record whose checksum field is not hexadecimal
    Garbage,             // random bytes ahead of a live record
    Truncated,           // a live record cut short
    Silence,             // a poll left unanswered
    HangUp,              // the line goes dead (the simulator closes its end)
    ImageChecksum,       // the first values image carries a wrong checksum
};

// Parses a fault name as given on the command line; false when unknown.
bool parseFault(const std::string& name, Fault& fault);

struct SimulatorSettings {
    Fault fault = Fault::None;
    int faultEvery = 5;        // every Nth live record is spoilt
    double setupEvery = 5.0;   // seconds between setup lines; 0: none
    unsigned seed = 1;         // the faults' randomness and the oxygen sensor's noise
    // Numbers each live record in positions 61-64 (four hex digits, which
    // the dashboard does not read), so a benchmark can match what was sent
    // with what was decoded.
    bool numberRecords = false;
};

class EcuSimulator {
public:
    EcuSimulator(std::string imageText, EngineModel engine, SimulatorSettings settings);

    // Live records to send instead of the engine model's, in a loop.
    void replay(std::vector<std::string> records);

    // Bytes from the dashboard; `now` is seconds since start.
    void receive(const std::string& bytes, double now);
    // Time passing: sends a setup line when one is due.
    void tick(double now);
    // What is waiting to go out on the wire (taken once).
    std::string takeOutput();
    // The live records in the output last taken: their numbers and where
    // each ends in it (one past its line end).
    struct SentRecord {
        int number;
        size_t end;
    };
    const std::vector<SentRecord>& recordsInOutput() const { return taken_; }

    bool hungUp() const { return hungUp_; }
    int recordsSent() const { return recordsSent_; }
    int imagesSent() const { return imagesSent_; }

private:
    void command(char letter, double now);
    void sendRecord(double now);
    std::string setupLine(double now) const;

    std::string image_;
    LiveRecordSource engine_;
    SimulatorSettings settings_;
    std::vector<std::string> replay_;
    size_t replayNext_ = 0;
    std::mt19937 random_;
    std::string pendingCommand_;
    std::string output_;
    std::vector<SentRecord> pending_, taken_;
    bool quiet_ = true;  // nothing unasked until the dashboard speaks
    bool hungUp_ = false;
    int recordsSent_ = 0;
    int imagesSent_ = 0;
    double lastSetup_ = 0;
};

}  // namespace kvrsim
