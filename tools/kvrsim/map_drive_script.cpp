// How a round of the map drive is laid out. Cruise is held at speeds drawn
// from a shuffled deck of every quarter-thousand RPM from 1000 to 6500, each
// at two or three pressures drawn from a deck of inHg and psi steps from 20
// inHg of vacuum to 10 psi of boost, so a round visits most of the map; the
// pressures after the first at a speed are reached by stepping the throttle.
// Pulls through three gears come every minute and a half once the engine is
// warm, and some cruises end with a lift-off, some with a spell of idle.
#include <algorithm>

#include "map_drive.h"

namespace kvrsim {
namespace {

constexpr double kHomeTime = 60;      // seconds a round keeps for its last block and the way home
constexpr double kWarmForBoost = 150;  // °F: no boost on a colder engine

// A shuffled deck of values, dealt from the top, shuffled again when spent.
class Deck {
public:
    Deck(std::vector<double> cards, std::mt19937& random) : all_(std::move(cards)), random_(random) { refill(); }

    // The first card from the top that `fits`; spent decks are refilled
    // once. `fallback` when none fits.
    template <typename Fits>
    double deal(Fits fits, double fallback) {
        for (int pass = 0; pass < 2; ++pass) {
            for (auto it = left_.begin(); it != left_.end(); ++it) {
                if (!fits(*it)) continue;
                const double card = *it;
                left_.erase(it);
                if (left_.empty()) refill();
                return card;
            }
            if (pass == 0) refill();
        }
        return fallback;
    }

private:
    void refill() {
        left_ = all_;
        std::shuffle(left_.begin(), left_.end(), random_);
    }

    std::vector<double> all_, left_;
    std::mt19937& random_;
};

std::vector<double> rpmCards() {
    std::vector<double> v;
    for (int rpm = 1000; rpm <= 6500; rpm += 250) v.push_back(rpm);
    return v;
}

// Gauge pressures: inHg of vacuum 20 down to 1, psi of boost 0.5 up to 10.
std::vector<double> mapCards() {
    std::vector<double> v;
    for (int inHg = 20; inHg >= 1; --inHg) v.push_back(-inHg);
    for (int halfPsi = 1; halfPsi <= 20; ++halfPsi) v.push_back(halfPsi * 0.5);
    return v;
}

class RoundScript {
public:
    RoundScript(std::mt19937& random, bool coldStart)
        : random_(random), cold_(coldStart), rpms_(rpmCards(), random), maps_(mapCards(), random) {
        rpm_ = MapDrive::idleRpm(temperature(0));
        mapKpa_ = settledMapKpa(throttle_, rpm_);
    }

    std::vector<DriveSegment> lay() {
        idle(cold_ ? 25 : 6);
        double nextPull = cold_ ? 160 : time_ + uniform(40, 70);
        while (time_ < MapDrive::kRoundSeconds - kHomeTime) {
            if (time_ >= nextPull) {
                pull();
                nextPull = time_ + uniform(70, 100);
                continue;
            }
            cruise();
            // Draws one at a time, so the layout does not hang on the order
            // a compiler evaluates arguments in.
            const double after = uniform(0, 1);
            const double rate = uniform(600, 900);
            if (after < 0.25) {
                const double drop = uniform(1000, 2500);
                liftOff(std::max(1200.0, rpm_ - drop), rate);
            } else if (after < 0.35) {
                liftOff(1300, rate);
                idle(uniform(4, 7));
            }
        }
        if (rpm_ > 1500) liftOff(1300, 800);
        idle(MapDrive::kRoundSeconds - time_);
        return std::move(segments_);
    }

private:
    double temperature(double t) const { return cold_ ? MapDrive::engineTempAt(t) : MapDrive::engineTempAt(1e9); }
    double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(random_); }

    // Appends a segment that starts from where the drive is, and moves the
    // drive to where it ends.
    void add(DriveSegment s) {
        s.start = time_;
        s.rpmFrom = rpm_;
        s.throttleFrom = throttle_;
        s.mapFromKpa = mapKpa_;
        time_ += s.duration;
        const DriveState end = segmentState(s, s.duration, temperature(time_));
        rpm_ = end.rpm;
        throttle_ = end.throttle;
        mapKpa_ = end.mapKpa;
        segments_.push_back(s);
    }

    void idle(double seconds) {
        DriveSegment s;
        s.idle = true;
        s.rpmSeconds = std::min(1.5, seconds);
        s.throttleTo = kClosedThrottle;
        s.duration = seconds;
        add(s);
    }

    // Speed to `rpm` over `moveSeconds` while the throttle steps to
    // `throttle` (or moves with the speed), then `hold` seconds still.
    void moveTo(double rpm, double throttle, double moveSeconds, bool step, double hold, bool linear = false) {
        DriveSegment s;
        s.rpmTo = rpm;
        s.rpmSeconds = moveSeconds;
        s.rpmLinear = linear;
        s.throttleTo = throttle;
        s.throttleSeconds = step ? 0 : moveSeconds;
        s.duration = moveSeconds + hold;
        add(s);
    }

    // Foot off: the throttle snaps shut and the engine slows at `rate` RPM/s
    // to `rpm` (or stays where it is, if slower already).
    void liftOff(double rpm, double rate) {
        DriveSegment s;
        s.rpmTo = std::min(rpm, rpm_);
        s.rpmSeconds = std::max(0.0, rpm_ - rpm) / rate;
        s.rpmLinear = true;
        s.throttleTo = kClosedThrottle;
        s.liftOff = true;
        s.duration = s.rpmSeconds + 0.3;
        add(s);
    }

    // A pressure for a speed from the deck: one the engine can hold there.
    double pressureFor(double rpm) {
        const bool warm = temperature(time_) >= kWarmForBoost;
        auto fits = [&](double gauge) {
            if (gauge < 0) return gauge >= closedThrottleVacuum(rpm) + 0.5;
            return warm && gauge <= boostLimit(rpm) - 0.2;
        };
        const double gauge = maps_.deal(fits, -10);
        return gaugeToKpa(gauge + (gauge < 0 ? uniform(-0.3, 0.3) : uniform(-0.15, 0.15)));
    }

    // Steady cruise at one speed and two or three loads.
    void cruise() {
        const double card = rpms_.deal([](double) { return true; }, 2500);
        const double rpm = card + uniform(-80, 80);
        const int loads = uniform(0, 1) < 0.5 ? 2 : 3;
        for (int n = 0; n < loads; ++n) {
            const double kpa = pressureFor(rpm);
            const double hold = uniform(2.5, 4.0) + (kpa > kAtmosphereKpa ? 1.0 : 0.0);
            if (n == 0) {
                moveTo(rpm, throttleFor(kpa, rpm), 1.0 + std::abs(rpm - rpm_) / 2000, false, hold);
            } else {
                moveTo(rpm, throttleFor(kpa, rpm), 0, true, hold);
            }
        }
    }

    // Wide open through second, third and fourth with a shift between, then off.
    void pull() {
        moveTo(2600 + uniform(-200, 200), 15, 1.5, false, 1.0);
        const double rates[3] = {1400, 900, 600};  // RPM/s in each gear
        const double ratios[2] = {0.68, 0.76};     // speed after a shift to the next gear
        for (int gear = 0; gear < 3; ++gear) {
            const double top = 6300 + uniform(-100, 100);
            moveTo(top, kOpenThrottle, (top - rpm_) / rates[gear], true, 0, true);
            if (gear < 2) moveTo(rpm_ * ratios[gear], 14, 0.3, true, 0.2);
        }
        liftOff(uniform(1400, 2200), 800);
    }

    std::mt19937& random_;
    bool cold_;
    Deck rpms_, maps_;
    std::vector<DriveSegment> segments_;
    double time_ = 0;
    double rpm_ = 0;
    double throttle_ = kClosedThrottle;
    double mapKpa_ = kAtmosphereKpa;
};

}  // namespace

std::vector<DriveSegment> driveRound(std::mt19937& random, bool coldStart) {
    return RoundScript(random, coldStart).lay();
}

}  // namespace kvrsim
