#include "dashboard/ui/gauges_tab.h"

#include <QFontInfo>
#include <QLabel>
#include <utility>

#include "dashboard/ui/gauges_page.h"
#include "dashboard/ui/stale_overlay.h"
#include "widgets/ab270_meter.h"
#include "widgets/ab_led.h"
#include "widgets/gauge.h"

namespace {

// Sets up a dial as the design has it.
void designMeter(TAb270Meter* m, const kvr::MeterSettings& s, const char* valueFormat, int subSteps,
                 float limitUpper, float limitLower) {
    kvr::MeterModel& model = m->model();
    auto& signal = model.SignalSettings();
    signal.setValueUnit(s.unit);
    signal.setValueFrom(s.from);
    signal.setValueTo(s.to);
    signal.setValueFormat(valueFormat);
    model.ScaleSettings.Steps = s.steps;
    model.ScaleSettings.SubSteps = subSteps;
    model.ScaleSettings.ValueFormat = s.scaleFormat;
    model.setLimitUpper(limitUpper);
    model.setLimitLower(limitLower);
    m->settingsChanged();
}

// A value label: bold italic, `pixels` high at design size, scaled with the page.
QLabel* valueLabel(GaugesPage* page, int x, int y, int w, int h, int pixels) {
    auto* l = new QLabel(page);
    l->setGeometry(x, y, w, h);
    QFont f = l->font();
    f.setPixelSize(pixels);
    f.setItalic(true);
    f.setBold(true);
    l->setFont(f);
    page->place(l, QRect(x, y, w, h), pixels);
    return l;
}

// An output's panel: grey until a record says otherwise.
QLabel* optionPanel(GaugesPage* page, const QString& caption, int x, int y) {
    auto* p = new QLabel(caption, page);
    p->setGeometry(x, y, 84, 24);
    p->setAlignment(Qt::AlignCenter);
    QFont f = p->font();
    f.setPixelSize(10);
    f.setBold(true);
    p->setFont(f);
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    p->setPalette(pal);
    // 9 pixels leave "RPM Relay OFF" a margin inside its 84-pixel panel.
    page->place(p, QRect(x, y, 84, 24), 9);
    return p;
}

}  // namespace

GaugesTab::GaugesTab(GaugesPage* page, const kvr::LiveDisplay& model)
    : QObject(page), page_(page), model_(model) {
    // Every control goes on the page through place(), which scales its design
    // geometry (and font) with the page.
    buildMeters(model);
    buildLabels(model);
    buildPanels();
    buildLamps();
    staleOverlay = new StaleOverlay(page);
    nameControls();
}

QLabel* GaugesTab::caption(const QString& text, int x, int y) {
    auto* l = new QLabel(text, page_);
    l->adjustSize();
    const int px = QFontInfo(l->font()).pixelSize();
    // A little spare width: text does not widen exactly in step with the font.
    page_->place(l, QRect(x, y, l->width() + 4, l->height()), px);
    return l;
}

void GaugesTab::buildMeters(const kvr::LiveDisplay& d) {
    rpmMeter = new TAb270Meter(page_);
    mixtureMeter = new TAb270Meter(page_);
    mapMeter = new TAb270Meter(page_);
    ignitionMeter = new TAb270Meter(page_);
    throttleMeter = new TAb270Meter(page_);
    knockMeter = new TAb270Meter(page_);
    // A dial is a 208-pixel circle centred in its 220 x 208 box; the boxes of
    // the third and fourth dials overlap by 10 pixels, so each is placed as
    // its circle's square, which no other control overlaps.
    const std::pair<TAb270Meter*, QPoint> dials[6] = {
        {rpmMeter, {0, 1}},        {mixtureMeter, {221, 1}},  {mapMeter, {442, 1}},
        {ignitionMeter, {652, 1}}, {throttleMeter, {0, 210}}, {knockMeter, {652, 210}},
    };
    for (const auto& [dial, at] : dials) page_->place(dial, QRect(at.x() + 6, at.y(), 208, 208));
    designMeter(rpmMeter, d.meterSettings[kvr::kRpmMeter], "##0.0", 4, 8000, 0.0001f);
    designMeter(mapMeter, d.meterSettings[kvr::kMapMeter], "##0.0", 5, 65, -32);
    designMeter(mixtureMeter, d.meterSettings[kvr::kMixtureMeter], "#0.0", 4, 255, 0.0001f);
    designMeter(throttleMeter, d.meterSettings[kvr::kThrottleMeter], "##0.0", 4, 255, 0.0001f);
    designMeter(ignitionMeter, d.meterSettings[kvr::kIgnitionMeter], "##0.0", 4, 255, 0.0001f);
    designMeter(knockMeter, d.meterSettings[kvr::kKnockMeter], "##0.0", 5, 15, -1);
    mixtureMeter->model().sectors[0] = {0x00FF00, 230, 500};
    mixtureMeter->model().sectors[1] = {0xFFFF00, 500, 650};
    mixtureMeter->model().sectors[2] = {0xFF0000, 650, 1000};
    ignitionMeter->model().sectors[0] = {0xFFFF00, 0, 333};
    ignitionMeter->model().sectors[1] = {0x00FF00, 334, 819};
    ignitionMeter->model().sectors[2] = {0xFF0000, 820, 1000};
    for (auto& s : throttleMeter->model().sectors) s.color = 0x00FF00;
    knockMeter->minMaxInSectorColors = false;
    rpmMeter->scalePixelSize = 16;
    rpmMeter->boldScale = true;
    rpmMeter->unitPixelSize = 16;
    rpmMeter->unitColor = Qt::red;
    rpmMeter->italicUnit = true;
    for (int i = 0; i < 6; ++i) {
        meterSettingsShown_[i] = d.meterSettings[i];
        meter(i)->setValue(d.meter[i]);
    }
}

// The middle panel: MAP and mixture texts, the value labels under them.
void GaugesTab::buildLabels(const kvr::LiveDisplay& d) {
    mapLabel = valueLabel(page_, 226, 214, 210, 34, 27);
    mixtureLabel = valueLabel(page_, 440, 214, 208, 34, 27);
    const char* captions[6] = {"ENG TEMP ", "INJ PW ", "AIR TEMP ", "MIX KNOB ", "INJ DUTY ", "BATT VOLTS"};
    QLabel** values[6] = {&engineTempLabel, &pulseWidthLabel, &airTempLabel,
                          &knobLabel,       &dutyLabel,       &batteryLabel};
    for (int i = 0; i < 6; ++i) {
        const int x = 226 + (i % 2) * 214, y = 254 + (i / 2) * 30;
        caption(captions[i], x, y + 8);
        *values[i] = valueLabel(page_, x + 84, y, 126, 28, 20);
    }
    caption("KVR SW  VER", 226, 352);
    softwareVersionLabel = valueLabel(page_, 310, 346, 120, 26, 18);
    softwareVersionLabel->setText(QString::fromStdString(d.softwareVersion));
}

void GaugesTab::buildPanels() {
    caption("OPTIONS ", 226, 384);
    fuelPumpPanel = optionPanel(page_, "FuelPump", 226, 398);
    fastIdlePanel = optionPanel(page_, "FastIdle", 312, 398);
    rpmSwitchPanel = optionPanel(page_, "RPM Relay", 398, 398);
    auxInputPanel = optionPanel(page_, "Aux Input", 484, 398);
    radiatorFanPanel = optionPanel(page_, "Rad Fan", 570, 398);
    for (uint32_t& shown : panelColorShown_) shown = kvr::kGray;
}

void GaugesTab::buildLamps() {
    caption("CHECK", 700, 432);
    caption("LIGHT", 700, 446);
    checkLightLamp = new TAbLED(page_, 16, Qt::red);
    page_->place(checkLightLamp, QRect(746, 436, 18, 18));
    caption("RxData", 8, 432);
    receivingLamp = new TAbLED(page_, 12, Qt::green);
    page_->place(receivingLamp, QRect(60, 433, 14, 14));
    queueGauge = new TGauge(page_);
    page_->place(queueGauge, QRect(80, 433, 80, 12));
    queueGauge->setMaxValue(2048);
    queueGauge->setProgress(5);
    caption("Data Error", 8, 452);
    dataErrorLamp = new TAbLED(page_, 12, Qt::red);
    page_->place(dataErrorLamp, QRect(80, 453, 14, 14));
}

void GaugesTab::nameControls() {
    const std::pair<QWidget*, const char*> controls[] = {
        {rpmMeter, "Ab270Meter1"},       {mapMeter, "Ab270Meter2"},      {mixtureMeter, "Ab270Meter3"},
        {throttleMeter, "Ab270Meter4"},  {ignitionMeter, "Ab270Meter5"}, {knockMeter, "Ab270Meter6"},
        {mapLabel, "MP"},                {engineTempLabel, "ET"},        {pulseWidthLabel, "INJPW"},
        {airTempLabel, "AT"},            {knobLabel, "KNOB"},            {dutyLabel, "DTY"},
        {batteryLabel, "BATT"},          {mixtureLabel, "AFR"},          {softwareVersionLabel, "Label7"},
        {fuelPumpPanel, "FuelPump"},     {fastIdlePanel, "FastIdle"},    {rpmSwitchPanel, "RPMSW"},
        {auxInputPanel, "AuxIn"},        {radiatorFanPanel, "RadFan"},   {checkLightLamp, "AbLED1"},
        {receivingLamp, "AbLED3"},       {dataErrorLamp, "AbLED4"},      {queueGauge, "Gauge2"},
        {staleOverlay, "staleOverlay"},
    };
    // The names "Form1"'s controls had, so anything that looks one up by it still finds it.
    for (const auto& [widget, name] : controls) widget->setObjectName(name);
    // Names for the controls whose text does not say what they are.
    const std::pair<QWidget*, const char*> names[] = {
        {rpmMeter, "RPM meter"},
        {mapMeter, "Manifold pressure meter"},
        {mixtureMeter, "Mixture meter"},
        {throttleMeter, "Throttle meter"},
        {ignitionMeter, "Ignition meter"},
        {knockMeter, "Knock meter"},
        {mapLabel, "Manifold pressure"},
        {mixtureLabel, "Mixture"},
        {engineTempLabel, "Engine temperature"},
        {pulseWidthLabel, "Injector pulse width"},
        {airTempLabel, "Air temperature"},
        {knobLabel, "Mixture knob"},
        {dutyLabel, "Injector duty"},
        {batteryLabel, "Battery volts"},
        {softwareVersionLabel, "KVR software version"},
        {checkLightLamp, "Check light"},
        {receivingLamp, "Receiving data"},
        {dataErrorLamp, "Data error"},
        {queueGauge, "Receive queue"},
    };
    for (const auto& [widget, name] : names) widget->setAccessibleName(name);
}

TAb270Meter* GaugesTab::meter(int index) const {
    TAb270Meter* const meters[6] = {rpmMeter,      mapMeter,      mixtureMeter,
                                    throttleMeter, ignitionMeter, knockMeter};
    return meters[index];
}

QLabel* GaugesTab::panel(int index) const {
    QLabel* const panels[5] = {fuelPumpPanel, fastIdlePanel, rpmSwitchPanel, auxInputPanel, radiatorFanPanel};
    return panels[index];
}

bool GaugesTab::show(const kvr::LiveDisplay& d) {
    if (d.revision == revisionShown_) return false;
    revisionShown_ = d.revision;
    showMeters(d);
    showTexts(d);
    showPanels(d);
    return true;
}

void GaugesTab::showMeters(const kvr::LiveDisplay& d) {
    for (int i = 0; i < 6; ++i) {
        TAb270Meter* m = meter(i);
        const kvr::MeterSettings& want = d.meterSettings[i];
        kvr::MeterSettings& shown = meterSettingsShown_[i];
        if (want.unit != shown.unit || want.from != shown.from || want.to != shown.to ||
            want.scaleFormat != shown.scaleFormat || want.steps != shown.steps) {
            // In the order the change is made: unit, scale format, steps, range.
            auto& signal = m->model().SignalSettings();
            signal.setValueUnit(want.unit);
            m->model().ScaleSettings.ValueFormat = want.scaleFormat;
            m->model().ScaleSettings.Steps = want.steps;
            signal.setValueFrom(want.from);
            signal.setValueTo(want.to);
            m->settingsChanged();
            shown = want;
        }
        if (want.visible != m->isVisible()) m->setVisible(want.visible);
        m->setValue(d.meter[i]);
    }
}

// Most texts stay the same from one record to the next: compare with what
// was last shown before building a QString, and touch a label only on a change.
void GaugesTab::setText(QLabel* label, const std::string& text) {
    std::string& shown = labelTextShown_[label];
    if (shown == text && !shown.empty()) return;
    shown = text;
    const QString t = QString::fromStdString(text);
    if (label->text() != t) label->setText(t);
}

void GaugesTab::showTexts(const kvr::LiveDisplay& d) {
    setText(mapLabel, d.mapText);
    if (page_->designFontPixels(mapLabel) != d.mapFontSize)
        page_->setDesignFontPixels(mapLabel, d.mapFontSize);
    setText(engineTempLabel, d.engineTemp);
    setText(pulseWidthLabel, d.pulseWidth);
    setText(airTempLabel, d.airTemp);
    setText(knobLabel, d.knob);
    setText(dutyLabel, d.duty);
    setText(batteryLabel, d.battery);
    setText(mixtureLabel, d.mixture);
    setText(softwareVersionLabel, d.softwareVersion);
    checkLightLamp->setLit(d.checkLight);
}

void GaugesTab::showPanels(const kvr::LiveDisplay& d) {
    for (int i = 0; i < 5; ++i) {
        setText(panel(i), d.panels[i].text);
        if (panelColorShown_[i] == d.panels[i].color) continue;
        QPalette pal = panel(i)->palette();
        const uint32_t c = d.panels[i].color;
        pal.setColor(QPalette::Window, QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
        panel(i)->setPalette(pal);
        panelColorShown_[i] = c;
    }
}

void GaugesTab::showReceiving(bool on) { receivingLamp->setLit(on); }

void GaugesTab::showLinkErrors(bool dataError, int queueFill) {
    dataErrorLamp->setLit(dataError);
    queueGauge->setProgress(queueFill);
}

void GaugesTab::showLinkState(kvr::LinkState state, const QString& reason) {
    staleOverlay->setMark(QString::fromLatin1(kvr::staleMark(state)), reason);
    if (state != kvr::LinkState::Live) receivingLamp->setLit(false);
}
