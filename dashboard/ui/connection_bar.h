// The bar above the tabs: opening, choosing and closing the port, pause and
// resume, the data interval, fetching the values image, and the title box
// that names saved logs; hidden behind the title box, the service buttons
// that reach COM1 directly. Each button runs its handler on the core and
// then has the window show the outcome.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace kvr {
class DashboardCore;
struct SessionStatus;
}  // namespace kvr

class ConnectionBar : public QObject {
    Q_OBJECT
public:
    // Builds the controls on `central` (the window's central widget);
    // `showOutputs` runs after each handler.
    ConnectionBar(QWidget* central, kvr::DashboardCore& core, std::function<void()> showOutputs);

    // The ports found at the last scan, the chosen one, and whether the
    // choice may change (not while a port is open).
    void showPorts(const kvr::SessionStatus& status);
    // The chart log's note (its label stays hidden, as designed).
    void showLoggingNote(const std::string& note);

    QPushButton* openPortButton;
    QComboBox* portList;
    QPushButton* closePortButton;
    QPushButton* pauseButton;
    QPushButton* resumeButton;
    QSpinBox* dataIntervalEdit;  // milliseconds between live records
    QPushButton* fetchValuesButton;
    QLineEdit* titleEdit;  // the title, and the proposed name of a saved log
    QLabel* loggingStatusLabel;
    // Hidden service buttons.
    QPushButton* imageBytesButton;
    QPushButton* clearCom1Button;
    QPushButton* readCom1Button;
    QPushButton* closeCom1Button;

private:
    void buildPortControls(QWidget* c);
    void buildValuesControls(QWidget* c);
    void connectControls();
    void nameControls();
    template <typename F>
    void run(F&& handler) {
        handler();
        showOutputs_();
    }

    kvr::DashboardCore& core_;
    std::function<void()> showOutputs_;
    std::vector<std::string> portsShown_;
};
