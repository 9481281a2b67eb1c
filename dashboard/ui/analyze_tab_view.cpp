// The Analyze tab's controls and how a result is shown on them.
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "dashboard/ui/analyze_heat_view.h"
#include "dashboard/ui/analyze_options.h"
#include "dashboard/ui/analyze_scatter.h"
#include "dashboard/ui/analyze_tab.h"
#include "dashboard/ui/analyze_tables.h"

namespace {

QPushButton* button(QWidget* parent, const char* text, const char* name) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(name);
    return b;
}

QLabel* wrappedLine(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

void AnalyzeTab::build(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(6, 6, 6, 4);
    column->setSpacing(4);
    auto* commands = new QHBoxLayout;
    analyzeButton = button(page, "Analyze", "analyzeButton");
    analyzeButton->setToolTip("Read the data log of the open log, or of the recording, and analyse it");
    revertCellButton = button(page, "Revert cell", "revertCellButton");
    revertCellButton->setToolTip("Put the selected bins' suggestions back to the current numbers");
    saveSuggestedButton = button(page, "Save suggested values...", "saveSuggestedButton");
    saveSuggestedButton->setToolTip("Write a values file (.KVV) with the suggested numbers; nothing goes to the ECU");
    exportReportButton = button(page, "Export report...", "exportReportButton");
    for (QPushButton* b : {analyzeButton, revertCellButton, saveSuggestedButton, exportReportButton})
        commands->addWidget(b);
    statusLine = wrappedLine(page, "analyzeStatus");
    commands->addWidget(statusLine, 1);
    column->addLayout(commands);
    summaryLine = wrappedLine(page, "analyzeSummary");
    column->addWidget(summaryLine);

    auto* body = new QHBoxLayout;
    options = new AnalyzeOptionsPanel(page);
    body->addWidget(options);
    body->addWidget(buildTables(page));
    body->addWidget(buildPictures(page), 1);
    column->addLayout(body, 1);
    for (QPushButton* b : {revertCellButton, saveSuggestedButton, exportReportButton}) b->setEnabled(false);
    say(QStringLiteral("Analyze reads the data log of the open log or of the recording."));
}

QWidget* AnalyzeTab::buildTables(QWidget* page) {
    auto* box = new QWidget(page);
    box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(new QLabel(QStringLiteral("RPM fuel numbers"), box));
    rpmTable = makeSuggestionTable(box, true);
    column->addWidget(rpmTable, 1);
    column->addWidget(new QLabel(QStringLiteral("Load fuel numbers"), box));
    loadTable = makeSuggestionTable(box, false);
    column->addWidget(loadTable, 1);
    auto* legend = wrappedLine(box, "shadeLegend");
    legend->setText(QString::fromLatin1(suggestionShadeLegend()));
    // The tables set the column's width; the legend wraps within it.
    legend->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(legend);
    return box;
}

QWidget* AnalyzeTab::buildPictures(QWidget* page) {
    auto* box = new QWidget(page);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    cellPictureChoice = new QComboBox(box);
    cellPictureChoice->setObjectName("cellPictureChoice");
    cellPictureChoice->setAccessibleName("Cell map shows");
    cellPictureChoice->addItems({"Hits per cell", "Mean error", "Residual after the fit"});
    column->addWidget(cellPictureChoice);
    cellMap = new AnalyzeHeatView(box);
    column->addWidget(cellMap, 1);
    residualLine = wrappedLine(box, "residualLine");
    column->addWidget(residualLine);
    scatterAxisChoice = new QComboBox(box);
    scatterAxisChoice->setObjectName("scatterAxisChoice");
    scatterAxisChoice->setAccessibleName("AFR against");
    scatterAxisChoice->addItems({"AFR by RPM", "AFR by MAP"});
    column->addWidget(scatterAxisChoice);
    scatter = new AnalyzeScatter(box);
    column->addWidget(scatter, 1);
    return box;
}

void AnalyzeTab::showResult() {
    const kvr::TuneResult& r = shown_;
    fillSuggestionTable(*rpmTable, r, true, reverted_.rpm);
    fillSuggestionTable(*loadTable, r, false, reverted_.load);
    options->showResult(r);
    QString summary = QString::fromStdString(r.summary) + QStringLiteral(". Sensor lag %1 ms%2.")
                                                              .arg(r.lagMs, 0, 'f', 0)
                                                              .arg(r.lagAutomatic ? " (found in the log)" : "");
    if (r.narrowBand)
        summary = QStringLiteral("Narrow-band O2 log: %1 rich and %2 lean readings. A narrow-band sensor says rich or "
                                 "lean, not by how much, so no numbers are suggested.")
                      .arg(r.rich)
                      .arg(r.lean);
    for (const std::string& note : r.notes) summary += QStringLiteral(" ") + QString::fromStdString(note) + ".";
    summaryLine->setText(summary);
    residualLine->setText(QString::fromStdString(r.residuals.sentence));
    cellMap->setResult(&shown_);
    scatter->setResult(&shown_, &target_);
    const bool numbers = !r.narrowBand && r.kept > 0;
    revertCellButton->setEnabled(numbers);
    saveSuggestedButton->setEnabled(numbers && r.hasChanges());
    exportReportButton->setEnabled(true);
}

void AnalyzeTab::say(const QString& text) { statusLine->setText(text); }
