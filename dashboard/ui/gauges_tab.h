// The Gauges tab: six dial meters, the MAP and mixture texts, the value
// labels, the output panels, the check light, the receive lamps and queue
// gauge, all placed on a GaugesPage so they scale with the window; over them
// the veil that marks stale values. It shows the gauges' display model, and
// is a sink of the session: each live record moves the meters at once, after
// the model has taken it.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <string>

#include "dashboard/display/live_display.h"
#include "dashboard/link/link_state.h"
#include "dashboard/session/record_sink.h"

class GaugesPage;
class QLabel;
class StaleOverlay;
class TAb270Meter;
class TAbLED;
class TGauge;

class GaugesTab : public QObject, public kvr::RecordSink {
    Q_OBJECT
public:
    // Builds the controls on `page`, showing `model` (the gauges' display
    // model, which it goes on showing).
    GaugesTab(GaugesPage* page, const kvr::LiveDisplay& model);
    // A record reached the model: the meters and labels follow it.
    void onRecord(const kvr::LiveRecord&) override { show(model_); }

    // Shows the model: false when its revision was shown already.
    bool show(const kvr::LiveDisplay& d);
    // The RxData lamp.
    void showReceiving(bool on);
    void showLinkErrors(bool dataError, int queueFill);
    // Veils the gauges when the link is not live, saying why.
    void showLinkState(kvr::LinkState state, const QString& reason);

    // The meters by kvr::MeterIndex, the panels in the model's order.
    TAb270Meter* meter(int index) const;
    QLabel* panel(int index) const;

    TAb270Meter* rpmMeter;
    TAb270Meter* mapMeter;
    TAb270Meter* mixtureMeter;  // air/fuel ratio, or O2 volts
    TAb270Meter* throttleMeter;
    TAb270Meter* ignitionMeter;
    TAb270Meter* knockMeter;
    QLabel* mapLabel;
    QLabel* engineTempLabel;
    QLabel* pulseWidthLabel;
    QLabel* airTempLabel;
    QLabel* knobLabel;
    QLabel* dutyLabel;
    QLabel* batteryLabel;
    QLabel* mixtureLabel;
    QLabel* softwareVersionLabel;
    QLabel* fuelPumpPanel;
    QLabel* fastIdlePanel;
    QLabel* rpmSwitchPanel;
    QLabel* auxInputPanel;
    QLabel* radiatorFanPanel;
    TAbLED* checkLightLamp;
    TAbLED* receivingLamp;  // RxData
    TAbLED* dataErrorLamp;
    TGauge* queueGauge;  // bytes waiting in the receive queue
    StaleOverlay* staleOverlay;

private:
    void buildMeters(const kvr::LiveDisplay& d);
    void buildLabels(const kvr::LiveDisplay& d);
    void buildPanels();
    void buildLamps();
    void nameControls();
    // A caption sized to its text, scaled with the page.
    QLabel* caption(const QString& text, int x, int y);
    void showMeters(const kvr::LiveDisplay& d);
    void showTexts(const kvr::LiveDisplay& d);
    void showPanels(const kvr::LiveDisplay& d);
    void setText(QLabel* label, const std::string& text);

    GaugesPage* page_;
    const kvr::LiveDisplay& model_;
    uint64_t revisionShown_ = ~0ull;
    kvr::MeterSettings meterSettingsShown_[6];
    uint32_t panelColorShown_[5] = {};
    std::map<const QLabel*, std::string> labelTextShown_;
};
