// kvrtool decode and the window agree on every field, record by record, for
// the simulator's engine and for hand-made records covering each rule.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPalette>
#include <QProcess>
#include <QRadioButton>
#include <fstream>

#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "default_values_image.h"
#include "engine_model.h"
#include "support/recording_dialogs.h"
#include "widgets/ab270_meter.h"
#include "widgets/ab_led.h"

namespace {

std::vector<std::string> records() {
    std::vector<std::string> lines;
    kvrsim::EngineModel engine(kvrsim::EngineSettings{});
    for (double t = 0; t < 40; t += 0.4) lines.push_back(kvr::sealLiveRecord(kvr::liveRecordBody(engine.at(t))));

    auto add = [&](auto change) {
        kvr::LiveFields f;
        change(f);
        lines.push_back(kvr::sealLiveRecord(kvr::liveRecordBody(f)));
    };
    add([](kvr::LiveFields& f) { f.afr = "0.8V"; });
    add([](kvr::LiveFields& f) { f.afr = "ERR "; });
    add([](kvr::LiveFields& f) { f.afr = "1-.0"; });
    add([](kvr::LiveFields& f) { f.map = "  N/A"; });
    add([](kvr::LiveFields& f) { f.map = "-10.5"; });
    add([](kvr::LiveFields& f) { f.running = 0; });
    add([](kvr::LiveFields& f) { f.duty = "RPM"; });
    add([](kvr::LiveFields& f) { f.duty = "TP "; });
    add([](kvr::LiveFields& f) { f.outputs = 0x00; });
    add([](kvr::LiveFields& f) { f.outputs = 0xFF; f.checkEngine = 3; });
    add([](kvr::LiveFields& f) { f.ignitionSign = '-'; f.ignitionRaw = 5; });
    add([](kvr::LiveFields& f) { f.ignitionRaw = 60; });
    add([](kvr::LiveFields& f) { f.throttle = 40; f.knock = 7; });
    add([](kvr::LiveFields& f) { f.throttle = 3; });
    add([](kvr::LiveFields& f) { f.period = 0; });
    std::string body = kvr::liveRecordBody(kvr::LiveFields{});
    body.replace(42, 4, "ZZZZ");  // pulse width not readable
    lines.push_back(kvr::sealLiveRecord(body));
    lines.push_back("junk line");
    lines.push_back(kvrsim::defaultValuesImage());  // an image in the stream decodes no record
    std::string bad = kvr::sealLiveRecord(kvr::liveRecordBody(kvr::LiveFields{}));
    bad[65] = bad[65] == '0' ? '1' : '0';
    lines.push_back(bad);
    add([](kvr::LiveFields& f) { f.engineTemp = " 90"; f.engineTempUnit = 'C'; });
    return lines;
}

QString colorOf(const QLabel* panel) {
    return panel->palette().color(QPalette::Window).name();
}

TEST(KvrtoolDecode, AgreesWithTheWindowOnEveryField) {
    char dir[] = "/tmp/kvr-decode-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string values = std::string(dir) + "/sim.KVV";
    const std::string input = std::string(dir) + "/records.txt";
    std::string error;
    ASSERT_TRUE(kvr::writeValuesFile(values, {kvrsim::defaultValuesImage(), {}}, error));
    const auto lines = records();
    {
        std::ofstream out(input);
        for (const auto& l : lines) out << l << "\n";
    }

    QProcess tool;
    tool.start(KVRTOOL_PATH, {"decode", "--values", QString::fromStdString(values), "--log-enable", "2",
                              QString::fromStdString(input)});
    ASSERT_TRUE(tool.waitForFinished(20000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QList<QByteArray> objects = tool.readAllStandardOutput().trimmed().split('\n');

    // The window, held in the same state: image decoded, polling, trigger "TP >".
    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    port.reset(0, 8192, 8192);
    kvr::DashboardCore& core = form.core();
    core.session.portNumber = 0;
    core.session.portOpen = true;
    form.logChart->loggingSwitchItems[2]->setChecked(true);
    core.session.valuesSource = "ecu";
    core.session.valuesText = kvrsim::defaultValuesImage();
    core.fillSheets();
    core.session.fetchState = 2;
    core.session.valuesLoaded = true;
    core.session.valuesInUse = true;
    core.session.setDataInterval(core.session.dataIntervalText);
    form.applyOutputs();

    int compared = 0, decoded = 0;
    bool sawLogging = false;
    kvr::RecordFunction counter([&](const kvr::LiveRecord&) { ++decoded; });
    core.session.addSink(counter);
    for (const auto& line : lines) {
        const int before = decoded;
        port.feed(line + "\n");
        form.pollTimer.stop();
        form.pollTick();
        if (decoded == before) continue;
        ASSERT_LT(compared, objects.size());
        const QJsonObject o = QJsonDocument::fromJson(objects[compared++]).object();
        SCOPED_TRACE(line);
        EXPECT_DOUBLE_EQ(o["Rpm"].toDouble(), core.gauges.values.rpm);
        EXPECT_EQ(o["Ignition"].toInt(), core.gauges.values.ignition);
        EXPECT_EQ(o["ThrottlePos"].toInt(), core.gauges.values.throttle);
        EXPECT_EQ(o["OutputFlags"].toInt(), core.gauges.values.outputs);
        EXPECT_DOUBLE_EQ(o["InjPulseMs"].toDouble(), core.gauges.values.pulseMs);
        for (int i = 0; i < 6; ++i) {
            EXPECT_NEAR(o[QString("Ab270Meter%1").arg(i + 1)].toDouble(), form.gauges->meter(i)->Value(),
                        1e-5)
                << i;
        }
        EXPECT_EQ(o["Ab270Meter3Unit"].toString().toStdString(),
                  form.gauges->mixtureMeter->model().SignalSettings().ValueUnit());
        EXPECT_EQ(o["MP"].toString(), form.gauges->mapLabel->text());
        EXPECT_EQ(o["MPFontSize"].toInt(), form.gauges->mapLabel->font().pixelSize());
        EXPECT_EQ(o["ET"].toString(), form.gauges->engineTempLabel->text());
        EXPECT_EQ(o["INJPW"].toString(), form.gauges->pulseWidthLabel->text());
        EXPECT_EQ(o["AT"].toString(), form.gauges->airTempLabel->text());
        EXPECT_EQ(o["KNOB"].toString(), form.gauges->knobLabel->text());
        EXPECT_EQ(o["DTY"].toString(), form.gauges->dutyLabel->text());
        EXPECT_EQ(o["BATT"].toString(), form.gauges->batteryLabel->text());
        EXPECT_EQ(o["AFR"].toString(), form.gauges->mixtureLabel->text());
        EXPECT_EQ(o["Label7"].toString(), form.gauges->softwareVersionLabel->text());
        EXPECT_EQ(o["AbLED1"].toBool(), form.gauges->checkLightLamp->Checked());
        EXPECT_EQ(o["AbLED2"].toBool(), form.logChart->loggingLamp->Checked());
        EXPECT_EQ(o["AbLED4"].toBool(), form.gauges->dataErrorLamp->Checked());
        const char* panels[5] = {"FuelPump", "FastIdle", "RPMSW", "AuxIn", "RadFan"};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(o[panels[i]].toObject()["text"].toString(), form.gauges->panel(i)->text());
            EXPECT_EQ(o[panels[i]].toObject()["color"].toString(), colorOf(form.gauges->panel(i)));
        }
        for (int i = 0; i < 8; ++i) {
            EXPECT_NEAR(o[QString("Channel%1").arg(i + 1)].toDouble(), core.gauges.values.channel[i], 1e-5) << i;
        }
        EXPECT_EQ(o["logging"].toBool(), core.chartLog.rules.on);
        sawLogging |= core.chartLog.rules.on;
    }
    EXPECT_EQ(compared, objects.size()) << "one object per decoded record, no more";
    EXPECT_GT(compared, 110);
    EXPECT_TRUE(sawLogging);
    std::system(("rm -rf " + std::string(dir)).c_str());
}

}  // namespace
