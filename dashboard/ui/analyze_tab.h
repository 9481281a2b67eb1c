// The "Analyze" tab: suggested corrections of the ECU's RPM and load fuel
// tables from a logged drive. "Analyze" reads the full-rate data log of the
// open log (or of the recording) once, with the values image it goes with,
// and keeps the samples; every change of a filter, the lag, the largest
// change or the target runs the analysis again on them. The tab shows the
// two tables' current and suggested numbers, the RPM × MAP map of the cells,
// what the tables cannot give, and the AFR against the target. A suggestion
// can be put back to the current number by hand. Nothing goes to the ECU:
// "Save suggested values..." writes a values file (.KVV) the user may load,
// never over the open log's own, and "Export report..." a PDF.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "dashboard/analysis/target_afr.h"
#include "dashboard/analysis/tune_analysis.h"
#include "dashboard/ui/analyze_reverts.h"

class AnalyzeHeatView;
class AnalyzeOptionsPanel;
class AnalyzeScatter;
class Dialogs;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

namespace kvr {
class DashboardCore;
}

class AnalyzeTab : public QObject {
    Q_OBJECT
public:
    AnalyzeTab(QWidget* page, kvr::DashboardCore& core, Dialogs& dialogs);
    ~AnalyzeTab() override;

    // "Analyze": reads the data log and the values image, keeps them, and analyses.
    void loadData();
    // Keeps `samples` (in the MAP units of the image's fuel map) and
    // `imageText`, and analyses them; false with the reason shown when the
    // image has no fuel map or the units differ.
    bool setData(kvr::TuneSamples samples, const std::string& imageText, const std::string& title);
    // Runs the analysis again on the kept samples with the options as now.
    void reanalyse();
    // Puts the selected bins' suggestions back to their current numbers.
    void revertSelected();
    void saveSuggested();
    void exportReport();

    // What the tab shows: the analysis with the reverts laid over it; null
    // before the first.
    const kvr::TuneResult* result() const { return analysed_ ? &shown_ : nullptr; }
    const kvr::RevertedBins& reverted() const { return reverted_; }

    QPushButton* analyzeButton;
    QPushButton* revertCellButton;
    QPushButton* saveSuggestedButton;
    QPushButton* exportReportButton;
    QLabel* statusLine;   // what the last command did, or why it could not
    QLabel* summaryLine;  // what came of the analysis
    AnalyzeOptionsPanel* options;
    QTableWidget* rpmTable;
    QTableWidget* loadTable;
    QComboBox* cellPictureChoice;  // hits, mean error, residual
    AnalyzeHeatView* cellMap;
    QLabel* residualLine;
    QComboBox* scatterAxisChoice;  // by RPM, by MAP
    AnalyzeScatter* scatter;

signals:
    // A line for the window's status bar.
    void noted(const QString& text);

private:
    void build(QWidget* page);
    QWidget* buildTables(QWidget* page);
    QWidget* buildPictures(QWidget* page);
    void connectControls();
    void loadTargetFile();
    void showResult();
    void say(const QString& text);
    // The values file of the open (or last saved) log: never written over.
    bool isLogsOwnValuesFile(const QString& path) const;
    QString proposedName(const QString& suffix) const;

    kvr::DashboardCore& core_;
    Dialogs& dialogs_;
    QWidget* page_;
    kvr::TuneSamples samples_;
    kvr::FuelMap map_;
    std::string image_;
    std::string title_;
    kvr::TargetAfr target_;
    bool analysed_ = false;
    kvr::TuneResult result_;  // as the analysis gave it
    kvr::TuneResult shown_;   // with the reverts
    kvr::RevertedBins reverted_;
    QTableWidget* lastTable_ = nullptr;  // the table the user last selected in
};
