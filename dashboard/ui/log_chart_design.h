// The log chart's fixed design: each channel's line colour and settings, the
// chart's look, the scale panels' colours, and the legend's boxes laid out
// and coloured as the lines.
#pragma once

class QCheckBox;
class QGroupBox;
class QLabel;
class QWidget;
class TAbTrend;

// Sets the chart's channels, caption, fonts, colours, limits and recorder
// options as the program has them.
void designLogChart(TAbTrend* chart);

// Colours a scale panel as the line of `channel` (1..8).
void colourScalePanel(QLabel* panel, int channel);

// The "Legend, Show/Hide" box on `page`, one checked box per channel in
// `boxes`, each on its line's colour.
QGroupBox* buildChartLegend(QWidget* page, QCheckBox* (&boxes)[8]);
