// A veil over the Gauges tab while its values are stale: the dials and
// labels show through greyed, under a large "NO DATA" or "PAUSED" and the
// reason, so nobody reads an old value as the engine's state.
#pragma once

#include <QWidget>

class StaleOverlay : public QWidget {
    Q_OBJECT
public:
    // Covers `page` and follows its size; hidden until a mark is set.
    explicit StaleOverlay(QWidget* page);

    // An empty mark hides the veil.
    void setMark(const QString& mark, const QString& reason);
    QString mark() const { return mark_; }
    QString reason() const { return reason_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString mark_;
    QString reason_;
};
