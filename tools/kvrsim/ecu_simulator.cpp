#include "ecu_simulator.h"

#include <cstdio>

#include "dashboard/link/ecu_lines.h"

namespace kvrsim {

bool parseFault(const std::string& name, Fault& fault) {
    static const std::pair<const char*, Fault> kNames[] = {
        {"none", Fault::None},           {"checksum", Fault::BadChecksum},
        {"unreadable", Fault::UnreadableChecksum}, {"garbage", Fault::Garbage},
        {"truncate", Fault::Truncated},  {"silence", Fault::Silence},
        {"hangup", Fault::HangUp},       {"image-checksum", Fault::ImageChecksum},
    };
    for (const auto& [n, f] : kNames) {
        if (name == n) {
            fault = f;
            return true;
        }
    }
    return false;
}

EcuSimulator::EcuSimulator(std::string imageText, EngineModel engine, SimulatorSettings settings)
    : image_(std::move(imageText)),
      engine_(std::move(engine), settings.seed),
      settings_(settings),
      random_(settings.seed) {}

void EcuSimulator::replay(std::vector<std::string> records) {
    replay_ = std::move(records);
    replayNext_ = 0;
}

void EcuSimulator::receive(const std::string& bytes, double now) {
    for (char c : bytes) {
        if (c == '\r') {
            // The last letter before CR is the command; a lone CR does nothing.
            if (!pendingCommand_.empty()) command(pendingCommand_.back(), now);
            pendingCommand_.clear();
        } else if (c != '\n') {
            pendingCommand_.push_back(c);
        }
    }
}

void EcuSimulator::command(char letter, double now) {
    if (hungUp_) return;
    switch (letter) {
    case 'D': {
        quiet_ = false;
        std::string image = image_;
        if (settings_.fault == Fault::ImageChecksum && imagesSent_ == 0 && image.size() >= 2243) {
            image[2242] = image[2242] == '0' ? '1' : '0';
        }
        output_ += image + "\n";
        ++imagesSent_;
        break;
    }
    case 'Q':
        quiet_ = false;
        sendRecord(now);
        break;
    case 'S':
        quiet_ = true;
        break;
    default:
        break;
    }
}

void EcuSimulator::sendRecord(double now) {
    std::string body;
    if (!replay_.empty()) {
        body = replay_[replayNext_].substr(0, 64);
        replayNext_ = (replayNext_ + 1) % replay_.size();
    } else {
        body = kvr::liveRecordBody(engine_.at(now));
    }
    ++recordsSent_;
    if (settings_.numberRecords && body.size() == 64) {
        char number[8];
        std::snprintf(number, sizeof number, "%04X", static_cast<unsigned>(recordsSent_) & 0xFFFF);
        body.replace(60, 4, number);
    }
    std::string line = kvr::sealLiveRecord(body);
    const bool spoil = settings_.fault != Fault::None && settings_.faultEvery > 0 &&
                       recordsSent_ % settings_.faultEvery == 0;
    if (spoil) {
        switch (settings_.fault) {
        case Fault::BadChecksum:
            line[65] = line[65] == '0' ? '1' : '0';
            break;
        case Fault::UnreadableChecksum:
            line.replace(64, 2, "Z?");
            break;
        case Fault::Garbage: {
            std::uniform_int_distribution<int> byte(0, 255), count(1, 20);
            std::string junk;
            for (int n = count(random_); n > 0; --n) {
                char b = static_cast<char>(byte(random_));
                if (b != '\n') junk.push_back(b);
            }
            line = junk + line;
            break;
        }
        case Fault::Truncated: {
            std::uniform_int_distribution<size_t> cut(1, 60);
            line.resize(cut(random_));
            break;
        }
        case Fault::Silence:
            return;
        case Fault::HangUp:
            hungUp_ = true;
            return;
        default:
            break;
        }
    }
    output_ += line + "\n";
    pending_.push_back({recordsSent_, output_.size()});
}

std::string EcuSimulator::setupLine(double now) const {
    char body[32];
    std::snprintf(body, sizeof body, "^SETUP %02X %02X %02X %04X  ", 0x31, 0x04,
                  static_cast<unsigned>(now) & 0xFF, static_cast<unsigned>(recordsSent_) & 0xFFFF);
    std::string line(body);
    line.resize(25, ' ');
    return kvr::sealSetupLine(line);
}

void EcuSimulator::tick(double now) {
    if (hungUp_ || quiet_ || settings_.setupEvery <= 0) return;
    if (now - lastSetup_ < settings_.setupEvery) return;
    lastSetup_ = now;
    output_ += setupLine(now) + "\n";
}

std::string EcuSimulator::takeOutput() {
    std::string out;
    out.swap(output_);
    taken_.swap(pending_);
    pending_.clear();
    return out;
}

}  // namespace kvrsim
