#include "dashboard/ui/analyze_options.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace {

// A number typed into a box; nothing when it is not one.
std::optional<double> numberIn(const QLineEdit* edit) {
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

QLabel* countLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral(" 000000")));
    return label;
}

}  // namespace

AnalyzeOptionsPanel::AnalyzeOptionsPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("analyzeOptions");
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    buildFilters(grid);
    column->addLayout(grid);
    auto* form = new QFormLayout;
    form->setVerticalSpacing(3);
    buildSettings(form);
    column->addLayout(form);
    column->addStretch(1);
}

void AnalyzeOptionsPanel::buildFilters(QGridLayout* grid) {
    auto* heading = new QLabel(QStringLiteral("Records removed by"), this);
    grid->addWidget(heading, 0, 0, 1, 2);
    int row = 1;
    for (int f = 0; f < kvr::kTuneFilterCount; ++f) {
        const auto filter = static_cast<kvr::TuneFilter>(f);
        // The tab offers no RPM and MAP window, so that filter has nothing to judge.
        if (filter == kvr::TuneFilter::Window) continue;
        const QString phrase = QString::fromLatin1(kvr::tuneFilterPhrase(filter));
        if (kvr::tuneFilterCanBeDisabled(filter)) {
            auto* check = new QCheckBox(phrase, this);
            check->setObjectName(QStringLiteral("filter_") + QString::fromLatin1(kvr::tuneFilterName(filter)));
            check->setChecked(true);
            connect(check, &QCheckBox::toggled, this, &AnalyzeOptionsPanel::changed);
            filterChecks[f] = check;
            grid->addWidget(check, row, 0);
        } else {
            grid->addWidget(new QLabel(phrase, this), row, 0);
        }
        filterCounts[f] = countLabel(this);
        grid->addWidget(filterCounts[f], row, 1);
        ++row;
    }
    grid->addWidget(new QLabel(QStringLiteral("Readings kept for the fit"), this), row, 0);
    keptCount = countLabel(this);
    keptCount->setObjectName("keptCount");
    grid->addWidget(keptCount, row, 1);
}

void AnalyzeOptionsPanel::buildSettings(QFormLayout* form) {
    warmLimitEdit = new QLineEdit(this);
    warmLimitEdit->setObjectName("warmLimitEdit");
    warmLimitEdit->setAccessibleName("Warm limit");
    warmLimitEdit->setPlaceholderText(QStringLiteral("160 F / 71 C"));
    lagEdit = new QLineEdit(QString::number(kvr::kDefaultLagMs, 'f', 0), this);
    lagEdit->setObjectName("lagEdit");
    lagEdit->setAccessibleName("Sensor lag");
    lagEdit->setToolTip(QStringLiteral("Milliseconds from the engine state to the AFR reading it makes "
                                       "(0 to %1), or \"auto\" to find it in the log")
                            .arg(kvr::kMaxLagMs));
    maxChangeEdit = new QSpinBox(this);
    maxChangeEdit->setObjectName("maxChangeEdit");
    maxChangeEdit->setAccessibleName("Max change");
    maxChangeEdit->setRange(1, 50);
    maxChangeEdit->setSuffix(QStringLiteral(" %"));
    maxChangeEdit->setValue(static_cast<int>(std::lround(kvr::FitOptions{}.maxChange * 100)));
    targetAfrEdit = new QLineEdit(this);
    targetAfrEdit->setObjectName("targetAfrEdit");
    targetAfrEdit->setAccessibleName("Flat target AFR");
    targetAfrEdit->setPlaceholderText(QStringLiteral("table"));
    targetAfrEdit->setToolTip(QStringLiteral("One AFR for every cell; empty: the target table"));
    loadTargetButton = new QPushButton(QStringLiteral("Load target file..."), this);
    loadTargetButton->setObjectName("loadTargetButton");
    targetLine = new QLabel(this);
    targetLine->setObjectName("targetLine");
    targetLine->setWordWrap(true);
    form->addRow(QStringLiteral("Warm limit"), warmLimitEdit);
    form->addRow(QStringLiteral("Sensor lag ms"), lagEdit);
    form->addRow(QStringLiteral("Max change"), maxChangeEdit);
    form->addRow(QStringLiteral("Target AFR"), targetAfrEdit);
    form->addRow(QString(), loadTargetButton);
    form->addRow(targetLine);
    for (QWidget* box : {static_cast<QWidget*>(warmLimitEdit), static_cast<QWidget*>(lagEdit),
                         static_cast<QWidget*>(maxChangeEdit), static_cast<QWidget*>(targetAfrEdit)})
        box->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("160 F / 71 C")) + 16);
    for (QLineEdit* edit : {warmLimitEdit, lagEdit, targetAfrEdit})
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (edit->isModified()) emit changed();
            edit->setModified(false);
        });
    connect(maxChangeEdit, qOverload<int>(&QSpinBox::valueChanged), this, &AnalyzeOptionsPanel::changed);
    connect(loadTargetButton, &QPushButton::clicked, this, &AnalyzeOptionsPanel::loadTargetClicked);
}

bool AnalyzeOptionsPanel::readOptions(kvr::TuneOptions& o, QString& error) const {
    for (int f = 0; f < kvr::kTuneFilterCount; ++f)
        if (filterChecks[f] != nullptr) o.filters.enabled[static_cast<size_t>(f)] = filterChecks[f]->isChecked();
    if (warmLimitEdit->text().trimmed().isEmpty()) {
        o.filters.warmLimit.reset();
    } else if (const auto warm = numberIn(warmLimitEdit)) {
        o.filters.warmLimit = *warm;
    } else {
        error = QStringLiteral("Warm limit: a temperature, or empty for 160 F / 71 C");
        return false;
    }
    const QString lag = lagEdit->text().trimmed();
    o.lag.automatic = lag.compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0;
    if (!o.lag.automatic) {
        const auto ms = numberIn(lagEdit);
        if (!ms || *ms < 0 || *ms > kvr::kMaxLagMs) {
            error = QStringLiteral("Sensor lag: a number of ms from 0 to %1, or auto").arg(kvr::kMaxLagMs);
            return false;
        }
        o.lag.ms = *ms;
    }
    o.fit.maxChange = maxChangeEdit->value() / 100.0;
    return true;
}

bool AnalyzeOptionsPanel::readTarget(kvr::MapForm form, kvr::TargetAfr& target, QString& error) const {
    if (targetAfrEdit->text().trimmed().isEmpty()) {
        target = table_ ? *table_ : kvr::TargetAfr::standard(form);
        return true;
    }
    const auto afr = numberIn(targetAfrEdit);
    if (!afr || *afr < kvr::TargetAfr::kLowest || *afr > kvr::TargetAfr::kHighest) {
        error = QStringLiteral("Target AFR: a number from %1 to %2, or empty for the table")
                    .arg(kvr::TargetAfr::kLowest)
                    .arg(kvr::TargetAfr::kHighest);
        return false;
    }
    target = kvr::TargetAfr::flat(*afr);
    return true;
}

void AnalyzeOptionsPanel::setTargetTable(const kvr::TargetAfr& table, const QString& fileName) {
    table_ = table;
    tableFile_ = QFileInfo(fileName).fileName();
    targetAfrEdit->clear();
}

void AnalyzeOptionsPanel::showResult(const kvr::TuneResult& r) {
    for (int f = 0; f < kvr::kTuneFilterCount; ++f) {
        if (filterCounts[f] == nullptr) continue;
        const kvr::FilterCount& c = r.filters[static_cast<size_t>(f)];
        filterCounts[f]->setText(c.on ? QString::number(c.removed) : QStringLiteral("off"));
    }
    keptCount->setText(QString::number(r.kept));
    QString target = QStringLiteral("Target: ") + QString::fromStdString(r.target);
    if (table_ && targetAfrEdit->text().trimmed().isEmpty()) target += QStringLiteral(" (") + tableFile_ + ")";
    targetLine->setText(target);
    warmLimitEdit->setPlaceholderText(QString::number(r.warmLimit, 'f', 0) + ' ' + QChar(r.temperatureUnit));
}
