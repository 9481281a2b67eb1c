// TAbLED: a round indicator lamp. It is lit exactly when bit StatusBit of
// the status word StatusInt is set; in indicator mode lighting it sets that
// bit and darkening it clears it.
#pragma once

#include <QColor>
#include <QWidget>

class TAbLED : public QWidget {
    Q_OBJECT
public:
    explicit TAbLED(QWidget* parent = nullptr, int lampSize = 16, QColor colorOn = Qt::green);

    int StatusInt() const { return statusInt_; }
    int StatusBit() const { return statusBit_; }
    bool Checked() const { return checked_; }

    void setStatusInt(int value);
    // Selects the bit that decides the lamp (0..31); the program lights a
    // lamp with bit 1 and darkens it with bit 0 while StatusInt is 2.
    void setStatusBit(int bit);
    void setChecked(bool on);
    // Lit or dark, in the program's terms.
    void setLit(bool lit) { setStatusBit(lit ? 1 : 0); }

    QColor colorOn() const { return colorOn_; }
    int lampSize() const { return lampSize_; }
    // Resizes the lamp (the widget is the lamp plus a one-pixel margin).
    void setLampSize(int size);

signals:
    void changed(bool lit);

protected:
    void paintEvent(QPaintEvent*) override;
    QSize sizeHint() const override { return {lampSize_ + 2, lampSize_ + 2}; }

private:
    int statusInt_ = 2;
    int statusBit_ = 0;
    bool checked_ = false;
    int lampSize_;
    QColor colorOn_;
};
