// A live record decoded once into every field it carries; a field the record
// cannot give is empty, never a number made up for it.
#include <gtest/gtest.h>

#include "dashboard/decode/live_record.h"
#include "dashboard/decode/live_values.h"
#include "dashboard/link/ecu_lines.h"

namespace kvr {
namespace {

std::string image(const std::string& cylinders = "04") {
    std::string t = ")" + std::string(2238, '0');
    t.replace(7, 2, cylinders);
    t.replace(1013, 4, "1F02");  // software 31.2
    return sealImageText(t);
}

LiveRecord decode(const LiveFields& f, int32_t version = 3102) {
    static const std::string text = image();
    std::string line = sealLiveRecord(liveRecordBody(f));
    correctIgnition(line);
    return decodeLiveRecord(line, RecordContext{&text, version});
}

TEST(LiveRecordDecode, EveryFieldOfAnOrdinaryRecord) {
    LiveFields f;
    f.map = "-10.5";
    f.ignitionRaw = 20;  // 36 degrees of advance
    f.duty = " 35";
    f.knob = " 50";
    f.throttle = 42;
    f.battery = "13.8";
    f.afr = "14.7";
    f.engineTemp = "185";
    f.airTemp = " 75";
    f.pulseCount = 0x0FA0;
    f.outputs = 0x8B;
    f.period = 20000;
    f.knock = 0x0C;
    f.checkEngine = 0x02;
    const LiveRecord r = decode(f);
    ASSERT_TRUE(r.map);
    EXPECT_DOUBLE_EQ(*r.map, -10.5);
    EXPECT_TRUE(r.engineRunning);
    ASSERT_TRUE(r.rpm);
    EXPECT_DOUBLE_EQ(*r.rpm, 3000);
    EXPECT_EQ(r.cylinderCount, 4);
    EXPECT_EQ(r.ignition, 36);
    EXPECT_EQ(r.dutyPercent, 35);
    EXPECT_EQ(r.knobPercent, 50);
    EXPECT_EQ(r.throttle, 42);
    EXPECT_EQ(r.batteryVolts, 13.8);
    EXPECT_FALSE(r.o2Form);
    EXPECT_EQ(r.afr, 14.7);
    EXPECT_FALSE(r.o2Volts);
    EXPECT_EQ(r.engineTemp, 185);
    EXPECT_EQ(r.engineTempUnit, 'F');
    EXPECT_EQ(r.airTemp, 75);
    EXPECT_EQ(r.airTempUnit, 'F');
    ASSERT_TRUE(r.pulseMs);
    EXPECT_DOUBLE_EQ(*r.pulseMs, 4.0) << "1 us counts from software 31.0";
    EXPECT_EQ(r.outputs, 0x8B);
    EXPECT_EQ(r.knock, 12);
    EXPECT_EQ(r.checkEngine, 2);
    EXPECT_EQ(r.softwareMajor, 31);
    EXPECT_EQ(r.softwareMinor, 2);
}

TEST(LiveRecordDecode, MissingFieldsStayEmpty) {
    LiveFields f;
    f.map = "  N/A";
    f.afr = "ERR ";
    f.duty = "RPM";
    f.battery = "xx.x";
    f.engineTemp = "???";
    const LiveRecord r = decode(f);
    EXPECT_FALSE(r.mapAvailable);
    EXPECT_FALSE(r.map);
    EXPECT_TRUE(r.mixtureError);
    EXPECT_FALSE(r.afr);
    EXPECT_FALSE(r.dutyPercent) << "a word, not a duty";
    EXPECT_EQ(r.dutyText, "RPM");
    EXPECT_FALSE(r.batteryVolts);
    EXPECT_FALSE(r.engineTemp);

    std::string body = liveRecordBody(LiveFields{});
    body.replace(42, 4, "ZZZZ");  // pulse count
    body.replace(46, 2, "QQ");    // output bits
    body.replace(48, 6, "00ZZ00");  // engine period
    std::string line = sealLiveRecord(body);
    const std::string text = image();
    const LiveRecord broken = decodeLiveRecord(line, RecordContext{&text, 3100});
    EXPECT_FALSE(broken.pulseMs);
    EXPECT_FALSE(broken.outputs);
    EXPECT_TRUE(broken.engineRunning);
    EXPECT_FALSE(broken.rpmPeriod);
    EXPECT_FALSE(broken.rpm) << "no speed is read from an unreadable period";
}

TEST(LiveRecordDecode, O2VoltsStandingEngineAndOldSoftware) {
    LiveFields f;
    f.afr = "0.8V";
    f.running = 0;
    f.pulseCount = 0x0FA0;
    const LiveRecord r = decode(f, 3099);
    EXPECT_TRUE(r.o2Form);
    EXPECT_EQ(r.o2Volts, 0.8);
    EXPECT_FALSE(r.afr);
    EXPECT_FALSE(r.engineRunning);
    EXPECT_FALSE(r.rpm) << "a standing engine has no speed of its own";
    EXPECT_DOUBLE_EQ(*r.pulseMs, 2.0) << "0.5 us counts before software 31.0";
}

// What the gauges and chart show keeps its last reading where the record is silent.
TEST(LiveValuesFromRecords, KeepTheLastReadingWhereARecordCannotGiveOne) {
    LiveValues v;
    LiveFields f;
    f.period = 20000;
    f.map = " -5.0";
    f.afr = "13.2";
    v.apply(decode(f));
    EXPECT_DOUBLE_EQ(v.rpm, 3000);
    EXPECT_FLOAT_EQ(v.channel[0], 3000);

    f.running = 0;
    f.map = "  N/A";
    f.afr = "ERR ";
    v.apply(decode(f));
    EXPECT_DOUBLE_EQ(v.rpm, 3000) << "the last running speed";
    EXPECT_DOUBLE_EQ(v.map, -5.0);
    EXPECT_DOUBLE_EQ(v.afr, 13.2);
    EXPECT_FLOAT_EQ(v.channel[1], 13.2f);

    f.map = "  ???";  // there, but not a number
    v.apply(decode(f));
    EXPECT_DOUBLE_EQ(v.map, 0);
}

}  // namespace
}  // namespace kvr
