// The Analyze tab's choices: a check box per filter the user may turn off
// (with the records each filter removed beside it), the warm limit, the
// sensor lag (a number of ms or "auto"), the most one pass may change a
// number, and the target AFR (a flat AFR, a table from a file, or the
// standard table). Every change is announced, so the tab re-runs the
// analysis on the samples it holds.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "dashboard/analysis/target_afr.h"
#include "dashboard/analysis/tune_analysis.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class AnalyzeOptionsPanel : public QWidget {
    Q_OBJECT
public:
    explicit AnalyzeOptionsPanel(QWidget* parent = nullptr);

    // The options as the boxes give them; false with the reason when a box
    // holds something that is not an option.
    bool readOptions(kvr::TuneOptions& options, QString& error) const;
    // The target: the flat AFR when one is typed, else the table from the
    // file last loaded, else the standard table for `form`.
    bool readTarget(kvr::MapForm form, kvr::TargetAfr& target, QString& error) const;
    // A table read from a file becomes the target (and the flat box is emptied).
    void setTargetTable(const kvr::TargetAfr& table, const QString& fileName);
    // Each filter's count, the readings kept, the lag and the target used.
    void showResult(const kvr::TuneResult& result);

    // The filters the user may turn off have a box; the others none.
    QCheckBox* filterChecks[kvr::kTuneFilterCount] = {};
    QLabel* filterCounts[kvr::kTuneFilterCount] = {};
    QLabel* keptCount;
    QLineEdit* warmLimitEdit;  // empty: 160 F or 71 C
    QLineEdit* lagEdit;        // ms, or "auto"
    QSpinBox* maxChangeEdit;   // %
    QLineEdit* targetAfrEdit;  // a flat AFR; empty: the table
    QPushButton* loadTargetButton;
    QLabel* targetLine;  // the target in use

signals:
    void changed();
    void loadTargetClicked();

private:
    void buildFilters(class QGridLayout* grid);
    void buildSettings(class QFormLayout* form);

    std::optional<kvr::TargetAfr> table_;
    QString tableFile_;
};
