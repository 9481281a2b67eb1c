// Decoding live records into values, meters, labels, panels, channels and
// the logging rules.
#include <gtest/gtest.h>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"

namespace kvr {
namespace {



// An image text whose byte 3 reads "04" and whose version bytes say 31.0.
std::string imageWith(const std::string& cylinders = "04", const std::string& major = "1F",
                      const std::string& minor = "00") {
    std::string t = ")" + std::string(2238, '0');
    t.replace(7, 2, cylinders);
    t.replace(1013, 2, major);
    t.replace(1015, 2, minor);
    return sealImageText(t);
}

class Decoder : public ::testing::Test {
protected:
    Decoder() : core(port) {
        core.session.valuesText = imageWith();
        core.session.softwareVersion = 3100;
    }
    // Accepts a record through the framer, as the tick does, then decodes it.
    void decode(const LiveFields& f) {
        core.session.deliverRecord(sealLiveRecord(liveRecordBody(f)));
    }
    void decodeRaw(const std::string& body64) {
        core.session.deliverRecord(sealLiveRecord(body64));
    }
    MemorySerialPort port;
    DashboardCore core;
    const LiveDisplay& d = core.gauges.display;
};

TEST_F(Decoder, SpeedFromPeriodAndCylinders) {
    LiveFields f;
    f.period = 20000;
    decode(f);
    EXPECT_EQ(core.gauges.values.rpm, 3000);
    EXPECT_FLOAT_EQ(d.meter[0], 3.0f);
    EXPECT_FLOAT_EQ(core.gauges.values.channel[0], 3000);

    core.session.valuesText = imageWith("0A");  // not decimal digits: 999 cylinders
    decode(f);
    EXPECT_EQ(core.gauges.values.cylinderCount, 999);
    EXPECT_EQ(core.gauges.values.rpm, 0);

    core.session.valuesText = imageWith("06");
    f.period = 7;  // (120 div 6) * 2000000 div 7, truncated
    decode(f);
    EXPECT_EQ(core.gauges.values.rpm, 40000000 / 7);
}

TEST_F(Decoder, StandingEngineDropsTheDialButKeepsTheSpeed) {
    LiveFields f;
    f.period = 20000;
    decode(f);
    f.running = 0;
    f.period = 60000;
    decode(f);
    EXPECT_FLOAT_EQ(d.meter[0], 0);
    EXPECT_EQ(core.gauges.values.rpm, 3000);
    EXPECT_FLOAT_EQ(core.gauges.values.channel[0], 3000);
}

TEST_F(Decoder, UnreadablePeriodShowsNoSpeedInsteadOfAStaleOne) {
    LiveFields f;
    f.period = 20000;
    decode(f);
    std::string body = liveRecordBody(f);
    body.replace(48, 6, "00ZZ00");
    decodeRaw(body);
    EXPECT_EQ(core.gauges.values.rpm, 0);
    EXPECT_FLOAT_EQ(d.meter[0], 0);
    f.period = 0;  // a zero period cannot be divided by
    decode(f);
    EXPECT_EQ(core.gauges.values.rpm, 0);
}

TEST_F(Decoder, IgnitionAndThrottleAndKnock) {
    LiveFields f;
    f.ignitionRaw = 20;
    f.throttle = 42;
    f.knock = 0x0C;
    decode(f);
    EXPECT_FLOAT_EQ(d.meter[4], 36);
    EXPECT_FLOAT_EQ(core.gauges.values.channel[3], 36);
    EXPECT_EQ(core.gauges.values.throttle, 42);
    EXPECT_FLOAT_EQ(d.meter[3], 42);
    EXPECT_EQ(core.gauges.values.knock, 12);
    EXPECT_FLOAT_EQ(core.gauges.values.channel[6], 12);
    std::string body = liveRecordBody(f);
    body.replace(22, 2, "x1");
    body.replace(56, 2, "QQ");
    decodeRaw(body);
    EXPECT_EQ(core.gauges.values.throttle, 0);
    EXPECT_EQ(core.gauges.values.knock, 0);
}

TEST_F(Decoder, PulseWidthByVersion) {
    LiveFields f;
    f.pulseCount = 0x1F40;
    core.session.softwareVersion = 3099;
    decode(f);
    EXPECT_EQ(d.pulseWidth, "4.00mS");
    core.session.softwareVersion = 3100;
    decode(f);
    EXPECT_EQ(d.pulseWidth, "8.00mS");
    std::string body = liveRecordBody(f);
    body.replace(42, 4, "12G4");
    decodeRaw(body);
    EXPECT_EQ(d.pulseWidth, "--.--mS");
}

TEST_F(Decoder, ManifoldPressureUnitBySensorAndConfig) {
    LiveFields f;
    f.map = "-10.5";
    core.gauges.mapSensorCode = 0x00;
    decode(f);
    EXPECT_EQ(d.mapText, "-10.5 inHg Vac");
    EXPECT_EQ(d.mapFontSize, 20);
    EXPECT_DOUBLE_EQ(core.gauges.values.map, -10.5);
    f.map = "  5.2";
    decode(f);
    EXPECT_EQ(d.mapText, "  5.2 PSI");
    EXPECT_FLOAT_EQ(d.meter[1], 5.2f);

    core.gauges.mapSensorCode = 0x50;
    decode(f);
    EXPECT_EQ(d.mapText, "  5.2 inHg ABS");
    core.gauges.mapSensorCode = 0x40;
    decode(f);
    EXPECT_EQ(d.mapText, "Using TP. No Map Sensor");
    EXPECT_EQ(d.mapFontSize, 10);
    core.gauges.mapSensorCode = 0x08;  // not a sensor code: the label stays
    decode(f);
    EXPECT_EQ(d.mapText, "Using TP. No Map Sensor");

    core.gauges.config5Flags = 0x21;  // both bits: absolute wins
    decode(f);
    EXPECT_EQ(d.mapText, "  5.2 inHg ABS");
    core.gauges.config5Flags = 0x01;
    f.map = " -3.0";
    decode(f);
    EXPECT_EQ(d.mapText, " -3.0 inHg Vac");

    f.map = "  N/A";  // keeps the value
    decode(f);
    EXPECT_DOUBLE_EQ(core.gauges.values.map, -3.0);
    f.map = "  ???";
    decode(f);
    EXPECT_DOUBLE_EQ(core.gauges.values.map, 0);
}

TEST_F(Decoder, MixtureSwitchesBetweenAfrAndO2VoltsOnce) {
    LiveFields f;
    f.afr = "14.7";
    decode(f);
    EXPECT_DOUBLE_EQ(core.gauges.values.afr, 14.7);
    EXPECT_FLOAT_EQ(d.meter[2], 14.7f);
    EXPECT_EQ(d.mixture, "14.7 ");
    EXPECT_EQ(d.meterSettings[2].unit, "AFR") << "the meter is already set up for AFR";
    EXPECT_TRUE(core.chartLog.rangeRequests.empty());

    f.afr = "0.8V";
    decode(f);
    EXPECT_DOUBLE_EQ(core.gauges.values.o2Volts, 0.8);
    EXPECT_EQ(core.chartLog.channel(2).ValueUnit(), "O2V");
    EXPECT_EQ(d.meterSettings[2].unit, "O2V");
    EXPECT_EQ(d.meterSettings[2].scaleFormat, ".##");
    EXPECT_EQ(d.meterSettings[2].steps, 10);
    EXPECT_FLOAT_EQ(d.meterSettings[2].to, 1);
    ASSERT_EQ(core.chartLog.rangeRequests.size(), 1u);
    EXPECT_EQ(core.chartLog.channel(2).ValueUnit(), "O2V");
    EXPECT_NEAR(core.chartLog.channel(2).ValueFrom(), 0.000001, 1e-9);
    EXPECT_FLOAT_EQ(core.chartLog.channel(2).ValueTo(), 1);
    EXPECT_FLOAT_EQ(core.gauges.values.channel[1], 0.8f);
    EXPECT_EQ(d.mixture, "0.8V ") << "the raw text replaces the number on every record";

    f.afr = "ERR ";
    decode(f);
    EXPECT_EQ(d.meterSettings[2].unit, "AFR") << "an ERR record still sets the meter up for AFR";
    EXPECT_EQ(core.chartLog.channel(2).ValueUnit(), "AFR");
    EXPECT_EQ(d.meterSettings[2].steps, 13);
    EXPECT_EQ(d.meterSettings[2].scaleFormat, "##.#");
    EXPECT_FLOAT_EQ(d.meterSettings[2].from, 7);
    EXPECT_FLOAT_EQ(d.meter[2], 0.8f) << "ERR leaves the reading";

    f.afr = "1-.0";  // position 30 is "-": the step is skipped
    decode(f);
    EXPECT_EQ(d.meterSettings[2].unit, "AFR");
    f.afr = "ab.c";
    decode(f);
    EXPECT_FLOAT_EQ(d.meter[2], 0);
}

TEST_F(Decoder, OptionPanelsForNoBitsAndAllBits) {
    LiveFields f;
    f.outputs = 0x00;
    decode(f);
    EXPECT_EQ(d.panels[0].text, "FuelPump OFF");
    EXPECT_EQ(d.panels[1].text, "FastIdle OFF");
    EXPECT_EQ(d.panels[2].text, "RPM Relay OFF");
    EXPECT_EQ(d.panels[3].text, "Aux Input ON");
    EXPECT_EQ(d.panels[3].color, 0x00B000u);
    EXPECT_EQ(d.panels[4].text, "Rad Fan OFF");
    for (int i : {0, 1, 2, 4}) EXPECT_EQ(d.panels[i].color, kGray);

    f.outputs = 0xFF;
    decode(f);
    EXPECT_EQ(d.panels[0].text, "FuelPump ON");
    EXPECT_EQ(d.panels[0].color, 0xFF7B04u);
    EXPECT_EQ(d.panels[1].color, 0xBB8E4Du);
    EXPECT_EQ(d.panels[2].color, 0xB44EDAu);
    EXPECT_EQ(d.panels[3].text, "Aux Input OFF");
    EXPECT_EQ(d.panels[3].color, kGray);
    EXPECT_EQ(d.panels[4].color, 0xFFFFFFu);
}

TEST_F(Decoder, LabelsLampsAndVersion) {
    LiveFields f;
    f.engineTemp = "185";
    f.airTemp = " 75";
    f.duty = " 35";
    f.knob = " 50";
    f.battery = "13.8";
    f.checkEngine = 0x02;
    decode(f);
    EXPECT_EQ(d.engineTemp, "185\xC2\xB0" "F ");
    EXPECT_EQ(d.airTemp, " 75\xC2\xB0" "F ");
    EXPECT_FLOAT_EQ(core.gauges.values.channel[5], 75);
    EXPECT_EQ(d.duty, " 35%");
    EXPECT_FLOAT_EQ(core.gauges.values.channel[7], 35);
    EXPECT_EQ(d.knob, " 50%");
    EXPECT_EQ(d.battery, "13.8V ");
    EXPECT_TRUE(d.checkLight);
    EXPECT_EQ(d.softwareVersion, "31.0");

    f.duty = "RPM";
    decode(f);
    EXPECT_EQ(d.duty, "RPM");
    EXPECT_FLOAT_EQ(core.gauges.values.channel[7], 35) << "RPM leaves channel 8";
    f.duty = "TP ";
    f.checkEngine = 0;
    decode(f);
    EXPECT_EQ(d.duty, "TP ");
    EXPECT_FLOAT_EQ(core.gauges.values.channel[7], 0);
    EXPECT_FALSE(d.checkLight);

    core.session.valuesText = imageWith("04", "G1", "05");
    decode(f);
    EXPECT_EQ(d.softwareVersion, "0.5");
}

TEST_F(Decoder, ThrottleRuleStartsAndStopsLogging) {
    core.chartLog.rules.loggingSwitch = 2;
    core.chartLog.rules.throttleThreshold = 20;
    LiveFields f;
    f.throttle = 21;
    decode(f);
    EXPECT_TRUE(core.chartLog.rules.on);
    EXPECT_TRUE(core.chartLog.rules.on);
    EXPECT_EQ(core.chartLog.note(), "Logging...");
    f.throttle = 20;
    decode(f);
    EXPECT_FALSE(core.chartLog.rules.on);
    EXPECT_FALSE(core.chartLog.rules.on);
    EXPECT_EQ(core.chartLog.note(), "Logging...") << "the status text stays";
}

TEST_F(Decoder, RpmRuleIgnoresAStandingEngineRecord) {
    core.chartLog.rules.loggingSwitch = 3;
    core.chartLog.rules.rpmThreshold = 3000;
    LiveFields f;
    f.period = 15000;  // 4000 rpm
    decode(f);
    EXPECT_TRUE(core.chartLog.rules.on);
    f.running = 0;
    decode(f);
    EXPECT_TRUE(core.chartLog.rules.on) << "the last running speed still counts";
    f.running = 1;
    f.period = 20000;  // 3000 rpm: not above the threshold
    decode(f);
    EXPECT_FALSE(core.chartLog.rules.on);
}

TEST_F(Decoder, GoAndStop) {
    core.chartLog.rules.loggingSwitch = 1;
    decode(LiveFields{});
    EXPECT_TRUE(core.chartLog.rules.on);
    decode(LiveFields{});
    EXPECT_TRUE(core.chartLog.rules.on);
    core.chartLog.rules.loggingSwitch = 0;
    decode(LiveFields{});
    EXPECT_FALSE(core.chartLog.rules.on);
}

}  // namespace
}  // namespace kvr
