#include "dashboard/ui/analyze_tab.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <utility>

#include "dashboard/analysis/fuel_map.h"
#include "dashboard/analysis/tune_samples.h"
#include "dashboard/analysis/ui/tune_report.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/datalog/msl_format.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/ui/analyze_heat_view.h"
#include "dashboard/ui/analyze_options.h"
#include "dashboard/ui/analyze_scatter.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/qt_strings.h"

AnalyzeTab::AnalyzeTab(QWidget* page, kvr::DashboardCore& core, Dialogs& dialogs)
    : QObject(page), core_(core), dialogs_(dialogs), page_(page), target_(kvr::TargetAfr::standard(kvr::MapForm::Gauge)) {
    build(page);
    connectControls();
}

AnalyzeTab::~AnalyzeTab() = default;

void AnalyzeTab::connectControls() {
    connect(analyzeButton, &QPushButton::clicked, this, &AnalyzeTab::loadData);
    connect(revertCellButton, &QPushButton::clicked, this, &AnalyzeTab::revertSelected);
    connect(saveSuggestedButton, &QPushButton::clicked, this, &AnalyzeTab::saveSuggested);
    connect(exportReportButton, &QPushButton::clicked, this, &AnalyzeTab::exportReport);
    connect(options, &AnalyzeOptionsPanel::changed, this, &AnalyzeTab::reanalyse);
    connect(options, &AnalyzeOptionsPanel::loadTargetClicked, this, &AnalyzeTab::loadTargetFile);
    connect(cellPictureChoice, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int i) { cellMap->setPicture(static_cast<kvr::CellPicture>(i)); });
    connect(scatterAxisChoice, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int i) { scatter->setByRpm(i == 0); });
    for (QTableWidget* table : {rpmTable, loadTable})
        connect(table, &QTableWidget::itemSelectionChanged, this, [this, table] {
            if (!table->selectedItems().isEmpty()) lastTable_ = table;
        });
}

void AnalyzeTab::loadData() {
    const std::string path = core_.dataLogFile();
    if (path.empty()) {
        say(QStringLiteral("No data log: record with Go, or open a log saved with its .msl"));
        return;
    }
    kvr::FuelMap map;
    std::string error;
    if (!kvr::readFuelMap(core_.session.valuesText, map, error)) {
        say(QStringLiteral("The values image has no fuel map to correct: ") + latin1(error));
        return;
    }
    kvr::TuneSamples samples;
    samples.mapForm = map.mapForm;
    kvr::MslReader reader;
    if (!reader.open(path, error) || !kvr::appendLogSamples(reader, samples, error)) {
        say(QStringLiteral("Data log ") + fromFileName(path) + QStringLiteral(" not read: ") + latin1(error));
        return;
    }
    const std::string title = QFileInfo(fromFileName(path)).fileName().toStdString();
    if (setData(std::move(samples), core_.session.valuesText, title))
        say(QStringLiteral("Read %1 records of %2.").arg(samples_.samples.size()).arg(fromFileName(path)));
}

bool AnalyzeTab::setData(kvr::TuneSamples samples, const std::string& imageText, const std::string& title) {
    kvr::FuelMap map;
    std::string error;
    if (!kvr::readFuelMap(imageText, map, error)) {
        say(QStringLiteral("The values image has no fuel map to correct: ") + latin1(error));
        return false;
    }
    if (samples.mapForm != map.mapForm) {
        say(QStringLiteral("The samples' MAP units are not those of the values image's fuel map."));
        return false;
    }
    samples_ = std::move(samples);
    map_ = map;
    image_ = imageText;
    title_ = title;
    reverted_.clear();
    analysed_ = false;
    reanalyse();
    return analysed_;
}

void AnalyzeTab::reanalyse() {
    if (image_.empty()) return;  // nothing read yet
    kvr::TuneOptions o;
    kvr::TargetAfr target = target_;
    QString error;
    if (!options->readOptions(o, error) || !options->readTarget(map_.mapForm, target, error)) {
        say(error);
        return;
    }
    target_ = std::move(target);
    result_ = kvr::analyseTune(samples_, map_, target_, o);
    shown_ = kvr::withReverts(result_, reverted_);
    analysed_ = true;
    showResult();
}

void AnalyzeTab::revertSelected() {
    if (!analysed_ || lastTable_ == nullptr) return;
    std::set<int>& bins = lastTable_ == rpmTable ? reverted_.rpm : reverted_.load;
    std::set<int> rows;
    for (const QTableWidgetItem* item : lastTable_->selectedItems()) rows.insert(item->row());
    int added = 0;
    for (int row : rows) added += bins.insert(row).second ? 1 : 0;
    if (added == 0) {
        say(QStringLiteral("Select the bins to put back in one of the tables first."));
        return;
    }
    shown_ = kvr::withReverts(result_, reverted_);
    showResult();
    say(QStringLiteral("%1 suggestion(s) put back to the current number.").arg(added));
}

QString AnalyzeTab::proposedName(const QString& suffix) const {
    QString base = fromFileName(core_.openedLogFile.empty() ? std::string() : kvr::withoutExtension(core_.openedLogFile));
    if (base.isEmpty()) base = QFileInfo(QString::fromStdString(title_)).completeBaseName();
    if (base.isEmpty()) base = QStringLiteral("tune");
    return base + suffix;
}

bool AnalyzeTab::isLogsOwnValuesFile(const QString& path) const {
    if (core_.valuesFileName.empty()) return false;
    QString own = fromFileName(core_.valuesFileName);
    if (!own.endsWith(QStringLiteral(".KVV"), Qt::CaseInsensitive)) own += QStringLiteral(".KVV");
    const QFileInfo a(path), b(own);
    if (a.exists() && b.exists()) return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

void AnalyzeTab::saveSuggested() {
    if (!analysed_ || shown_.narrowBand) return;
    const auto name = dialogs_.saveFileName(page_, proposedName(QStringLiteral("-suggested.KVV")), QStringLiteral("KVV"),
                                            QStringLiteral("KVR values files (*.KVV)"));
    if (!name) return;
    if (isLogsOwnValuesFile(*name)) {
        dialogs_.warning(page_, *name + QStringLiteral(" holds the values the log was recorded with; the suggested "
                                                       "values are saved under another name."));
        say(QStringLiteral("Not saved: choose a name other than the log's own values file."));
        return;
    }
    std::string error;
    const kvr::ValuesFile file{shown_.suggestedImage(image_), shown_.changeNotes()};
    if (!kvr::writeValuesFile(toFileName(*name), file, error)) {
        dialogs_.warning(page_, QStringLiteral("The suggested values were not saved.\n") + latin1(error));
        return;
    }
    const QString line = QStringLiteral("Suggested values saved to ") + *name + QStringLiteral(" (nothing sent to the ECU)");
    say(line);
    emit noted(line);
}

void AnalyzeTab::exportReport() {
    if (!analysed_) return;
    const auto name = dialogs_.saveFileName(page_, proposedName(QStringLiteral("-tune.pdf")), QStringLiteral("pdf"),
                                            QStringLiteral("PDF files (*.pdf)"));
    if (!name) return;
    const QByteArray pdf = kvr::tuneReportPdf(shown_, title_);
    std::string error;
    if (pdf.isEmpty()) error = "the report could not be drawn";
    if (error.empty() && kvr::writeFileReplacing(toFileName(*name), pdf.toStdString(), error)) {
        say(QStringLiteral("Report written to ") + *name);
        emit noted(QStringLiteral("Report written to ") + *name);
        return;
    }
    dialogs_.warning(page_, QStringLiteral("The report was not written.\n") + latin1(error));
}

void AnalyzeTab::loadTargetFile() {
    const auto name = dialogs_.openFileName(page_, QStringLiteral("*.txt"));
    if (!name) return;
    QFile file(*name);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_.warning(page_, QStringLiteral("The target file could not be read: ") + file.errorString());
        return;
    }
    kvr::TargetAfr table;
    std::string error;
    if (!kvr::TargetAfr::parse(file.readAll().toStdString(), table, error)) {
        dialogs_.warning(page_, QStringLiteral("Not a target AFR file: ") + QString::fromStdString(error));
        return;
    }
    options->setTargetTable(table, *name);
    reanalyse();
}
