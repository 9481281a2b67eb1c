// Every text on every tab is shown whole at the window's default font: each
// label, button, check box, group title and grid cell is measured with
// QFontMetrics against the room its control gives it, with a values image
// and live records from the simulator on show, at the design size and larger.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <string>
#include <vector>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/main_window.h"
#include "default_values_image.h"
#include "ecu_simulator.h"
#include "support/recording_dialogs.h"

namespace {

QString plain(QString text) { return text.remove('&'); }

std::string where(const QWidget* w, const QString& text) {
    return (w->metaObject()->className() + QString(" ") + w->objectName() + " \"" + text + "\"").toStdString();
}

// Widest line of a text in a font.
int advance(const QFont& font, const QString& text) {
    const QFontMetrics fm(font);
    int widest = 0;
    for (const QString& line : text.split('\n')) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

void checkLabel(const QLabel* l, const QString& text, std::vector<std::string>& clipped) {
    if (text.isEmpty() || l->wordWrap() || Qt::mightBeRichText(text)) return;
    int room = l->contentsRect().width() - 2 * l->margin();
    const Qt::Alignment h = l->alignment() & Qt::AlignHorizontal_Mask;
    if (l->frameWidth() > 0 && l->indent() < 0 && (h & (Qt::AlignLeft | Qt::AlignRight)))
        room -= QFontMetrics(l->font()).horizontalAdvance('x') / 2;
    const int lines = static_cast<int>(text.count('\n')) + 1;
    if (advance(l->font(), text) > room || QFontMetrics(l->font()).height() * lines > l->contentsRect().height() + 1)
        clipped.push_back(where(l, text));
}

void checkButton(const QAbstractButton* b, std::vector<std::string>& clipped) {
    const QString text = plain(b->text());
    if (text.isEmpty()) return;
    int room = b->width();
    if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b)) {
        // Indicator, the space after it, and the focus frame around the text.
        room -= b->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, b) +
                b->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, b) + 2;
    } else {
        room -= 4;  // the button's bevel on each side
    }
    if (advance(b->font(), text) > room) clipped.push_back(where(b, text));
}

void checkGrid(const QTableWidget* g, std::vector<std::string>& clipped) {
    const QFontMetrics fm(g->font());
    const int margin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
    const int inside = g->width() - 2 * g->frameWidth();
    for (int c = 0; c < g->columnCount(); ++c) {
        int right = 0;
        for (int k = 0; k <= c; ++k) right += g->columnWidth(k);
        for (int r = 0; r < g->rowCount(); ++r) {
            const QTableWidgetItem* item = g->item(r, c);
            if (item == nullptr || item->text().isEmpty()) continue;
            const bool cutByEdge = right > inside && g->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff;
            if (fm.horizontalAdvance(item->text()) + 2 * margin > g->columnWidth(c) || cutByEdge)
                clipped.push_back(where(g, item->text()) + " row " + std::to_string(r) + " col " + std::to_string(c));
        }
    }
}

// The visible texts under `page` that do not fit their controls, and the
// controls that reach past the page's edge.
std::vector<std::string> clippedTexts(const QWidget* page) {
    std::vector<std::string> clipped;
    for (const QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        if (w->parentWidget() == page && !page->rect().contains(w->geometry()))
            clipped.push_back(where(w, "") + " reaches past the page edge");
        if (const auto* l = qobject_cast<const QLabel*>(w))
            checkLabel(l, l->text(), clipped);
        else if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            checkButton(b, clipped);
        else if (const auto* g = qobject_cast<const QTableWidget*>(w))
            checkGrid(g, clipped);
        else if (const auto* box = qobject_cast<const QGroupBox*>(w)) {
            if (advance(box->font(), box->title()) + 8 > box->width()) clipped.push_back(where(box, box->title()));
        }
    }
    return clipped;
}

std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& line : v) s += "\n  " + line;
    return s;
}

class WindowTextFit : public ::testing::TestWithParam<QSize> {};

TEST_P(WindowTextFit, EveryTabShowsItsTextsWhole) {
    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.show();
    // The size asked for is the window's outer size where the minimum size
    // allows (the resize rules follow the outer size, frame included).
    const QSize frame = form.frameGeometry().size() - form.geometry().size();
    form.resize((GetParam() - frame).expandedTo(form.minimumSize()));
    QApplication::processEvents();
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(form.core().session.portOpen);

    // An image, then a drive cycle's live records, so every sheet and label is filled.
    kvrsim::SimulatorSettings settings;
    settings.setupEvery = 0;
    kvrsim::EcuSimulator sim(kvrsim::defaultValuesImage(), kvrsim::EngineModel(kvrsim::EngineSettings{}), settings);
    for (double t = 0; t < 40; t += 0.25) {
        form.pollTimer.stop();
        form.pollTick();
        sim.receive(port.takeWritten(), t);
        port.feed(sim.takeOutput());
    }
    ASSERT_TRUE(form.core().session.valuesLoaded);
    ASSERT_GT(form.core().gauges.display.revision, 100u);

    for (int i = 0; i < form.pages->count(); ++i) {
        form.pages->setCurrentIndex(i);
        QApplication::processEvents();
        SCOPED_TRACE(form.pages->tabText(i).toStdString());
        const auto clipped = clippedTexts(form.pages->widget(i));
        EXPECT_TRUE(clipped.empty()) << joined(clipped);
    }
    // The option panels switch between " ON" and " OFF": both must fit.
    for (int i = 0; i < 5; ++i) {
        QLabel* panel = form.gauges->panel(i);
        const QString name = panel->text().section(' ', 0, -2);
        std::vector<std::string> clipped;
        for (const char* state : {" ON", " OFF"}) checkLabel(panel, name + state, clipped);
        EXPECT_TRUE(clipped.empty()) << joined(clipped);
    }
    // And the top bar.
    const auto clipped = clippedTexts(form.centralWidget());
    EXPECT_TRUE(clipped.empty()) << joined(clipped);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowTextFit, ::testing::Values(QSize(900, 680), QSize(1400, 1000)),
                         [](const ::testing::TestParamInfo<QSize>& size) {
                             return std::to_string(size.param.width()) + "x" + std::to_string(size.param.height());
                         });

}  // namespace
