// Controls made at their design place: the window's tabs and bars place
// their controls by hand, in pixels, as the window was designed.
#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QSpinBox;
class QWidget;

// A caption sized to its text, its top-left corner at (x, y).
QLabel* placedLabel(QWidget* parent, const QString& text, int x, int y);

QPushButton* placedButton(QWidget* parent, const QString& text, int x, int y, int w, int h);

QSpinBox* placedSpinBox(QWidget* parent, int min, int max, int value, int x, int y, int w, int h);
