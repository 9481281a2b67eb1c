#include "dashboard/ui/placed_controls.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

QLabel* placedLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton* placedButton(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

QSpinBox* placedSpinBox(QWidget* parent, int min, int max, int value, int x, int y, int w, int h) {
    auto* s = new QSpinBox(parent);
    s->setRange(min, max);
    s->setValue(value);
    s->setGeometry(x, y, w, h);
    return s;
}
