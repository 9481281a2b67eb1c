// The Gauges tab shows what the decoder's display model says, record after
// record from the simulator's engine, offscreen.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "ecu_simulator.h"
#include "support/recording_dialogs.h"
#include "widgets/ab270_meter.h"
#include "widgets/ab_led.h"

namespace {

std::string imageText() {
    std::string t = ")" + std::string(2238, '0');
    t.replace(7, 2, "04");     // 4 cylinders
    t.replace(1013, 4, "1F00");  // software 31.0
    return kvr::sealImageText(t);
}

void expectWidgetsMatchModel(MainWindow& form) {
    const kvr::LiveDisplay& d = form.core().gauges.display;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(form.gauges->meter(i)->Value(), d.meter[i]);
        EXPECT_EQ(form.gauges->meter(i)->model().SignalSettings().ValueUnit(), d.meterSettings[i].unit);
        EXPECT_EQ(form.gauges->meter(i)->model().ScaleSettings.Steps, d.meterSettings[i].steps);
    }
    EXPECT_EQ(form.gauges->mapLabel->text().toStdString(), d.mapText);
    EXPECT_EQ(form.gauges->mapLabel->font().pixelSize(), d.mapFontSize);
    EXPECT_EQ(form.gauges->engineTempLabel->text().toStdString(), d.engineTemp);
    EXPECT_EQ(form.gauges->pulseWidthLabel->text().toStdString(), d.pulseWidth);
    EXPECT_EQ(form.gauges->airTempLabel->text().toStdString(), d.airTemp);
    EXPECT_EQ(form.gauges->knobLabel->text().toStdString(), d.knob);
    EXPECT_EQ(form.gauges->dutyLabel->text().toStdString(), d.duty);
    EXPECT_EQ(form.gauges->batteryLabel->text().toStdString(), d.battery);
    EXPECT_EQ(form.gauges->mixtureLabel->text().toStdString(), d.mixture);
    EXPECT_EQ(form.gauges->softwareVersionLabel->text().toStdString(), d.softwareVersion);
    EXPECT_EQ(form.gauges->checkLightLamp->Checked(), d.checkLight);
    EXPECT_EQ(form.logChart->loggingLamp->Checked(), form.core().chartLog.rules.on);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form.gauges->panel(i)->text().toStdString(), d.panels[i].text);
        const QColor c = form.gauges->panel(i)->palette().color(QPalette::Window);
        EXPECT_EQ(static_cast<uint32_t>(c.rgb() & 0xFFFFFF), d.panels[i].color);
    }
}

TEST(GaugesWindow, ShowsEachDecodedRecord) {
    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.resize(900, 680);
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(form.core().session.portOpen);
    form.core().session.softwareVersion = 3100;
    form.logChart->loggingSwitchItems[2]->setChecked(true);  // log on throttle

    kvrsim::SimulatorSettings settings;
    settings.setupEvery = 0;
    kvrsim::EngineSettings engine;
    kvrsim::EcuSimulator sim(imageText(), kvrsim::EngineModel(engine), settings);
    sim.receive(port.takeWritten(), 0);
    port.feed(sim.takeOutput());  // the values image

    bool sawLogging = false;
    int decoded = 0;
    for (double t = 0; t < 40; t += 0.25) {
        form.pollTimer.stop();  // ticks are driven by hand here
        form.pollTick();
        sim.receive(port.takeWritten(), t);
        port.feed(sim.takeOutput());
        if (form.core().gauges.display.revision > 1) {
            ++decoded;
            expectWidgetsMatchModel(form);
            sawLogging |= form.logChart->loggingLamp->Checked();
        }
    }
    EXPECT_GT(decoded, 100);
    EXPECT_TRUE(sawLogging) << "the pull opens the throttle past 20";
    EXPECT_TRUE(form.core().session.valuesLoaded);
    EXPECT_FALSE(form.gauges->dataErrorLamp->Checked());

    if (const QByteArray dir = qgetenv("KVR_SCREENSHOT_DIR"); !dir.isEmpty()) {
        form.pages->setCurrentIndex(0);
        form.grab().save(QString::fromLocal8Bit(dir) + "/gauges.png");
        form.pages->setCurrentIndex(2);
        form.grab().save(QString::fromLocal8Bit(dir) + "/logtext.png");
    }
}

TEST(GaugesWindow, O2RecordsSwitchTheMixtureMeter) {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    kvr::DashboardCore& core = form.core();
    core.session.valuesText = imageText();
    kvr::LiveFields f;
    f.afr = "0.8V";
    core.session.deliverRecord(kvr::sealLiveRecord(kvr::liveRecordBody(f)));
    form.applyDisplay();
    EXPECT_EQ(form.gauges->mixtureMeter->model().SignalSettings().ValueUnit(), "O2V");
    EXPECT_FLOAT_EQ(form.gauges->mixtureMeter->model().SignalSettings().ValueTo(), 1);
    EXPECT_EQ(form.gauges->mixtureMeter->model().ScaleSettings.ValueFormat, ".##");
    EXPECT_EQ(form.gauges->mixtureMeter->model().position(), 800);
    expectWidgetsMatchModel(form);
}

}  // namespace
