#include "dashboard/ui/connection_bar.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "dashboard/dashboard_core.h"
#include "dashboard/ui/placed_controls.h"
#include "dashboard/ui/qt_strings.h"

ConnectionBar::ConnectionBar(QWidget* central, kvr::DashboardCore& core, std::function<void()> showOutputs)
    : QObject(central), core_(core), showOutputs_(std::move(showOutputs)) {
    buildPortControls(central);
    buildValuesControls(central);
    connectControls();
    nameControls();
}

void ConnectionBar::buildPortControls(QWidget* c) {
    openPortButton = placedButton(c, "Open Com Port", 8, 4, 108, 25);
    portList = new QComboBox(c);
    portList->setGeometry(120, 4, 69, 25);
    closePortButton = placedButton(c, "Close Com Port", 194, 4, 108, 25);
    pauseButton = placedButton(c, "Pause", 310, 4, 64, 25);
    resumeButton = placedButton(c, "Resume", 378, 4, 64, 25);
    placedLabel(c, "Data", 450, 0);
    placedLabel(c, "Interval", 450, 14);
    dataIntervalEdit = placedSpinBox(c, 45, 9999, 45, 500, 4, 62, 24);
    placedLabel(c, "mS", 566, 8);
}

void ConnectionBar::buildValuesControls(QWidget* c) {
    fetchValuesButton = placedButton(c, "Fetch Values from KVR ECU", 592, 4, 190, 25);
    placedLabel(c, "Title/Filename:", 8, 37);
    titleEdit = new QLineEdit(c);
    titleEdit->setGeometry(100, 34, 420, 22);
    loggingStatusLabel = placedLabel(c, "", 530, 37);
    loggingStatusLabel->hide();
    imageBytesButton = placedButton(c, "Button1", 600, 33, 60, 22);
    clearCom1Button = placedButton(c, "CLR COMPRT", 600, 33, 80, 22);
    readCom1Button = placedButton(c, "SER GET CHAR", 600, 33, 80, 22);
    closeCom1Button = placedButton(c, "SIODONE COMPRT", 600, 33, 80, 22);
    for (QPushButton* hidden : {imageBytesButton, clearCom1Button, readCom1Button, closeCom1Button})
        hidden->hide();
}

void ConnectionBar::connectControls() {
    kvr::Session& s = core_.session;
    connect(openPortButton, &QPushButton::clicked, this, [this, &s] { run([&s] { s.openChosenPort(); }); });
    connect(closePortButton, &QPushButton::clicked, this, [this, &s] { run([&s] { s.closePort(); }); });
    connect(pauseButton, &QPushButton::clicked, this, [this, &s] { run([&s] { s.pause(); }); });
    connect(resumeButton, &QPushButton::clicked, this, [this, &s] { run([&s] { s.resume(); }); });
    connect(fetchValuesButton, &QPushButton::clicked, this, [this, &s] { run([&s] { s.fetchValues(); }); });
    connect(imageBytesButton, &QPushButton::clicked, this,
            [this] { run([this] { core_.showImageBytes(); }); });
    connect(clearCom1Button, &QPushButton::clicked, this, [this, &s] { run([&s] { s.clearCom1Queue(); }); });
    connect(readCom1Button, &QPushButton::clicked, this, [this, &s] { run([&s] { s.readCom1Text(); }); });
    connect(closeCom1Button, &QPushButton::clicked, this, [this, &s] { run([&s] { s.closeCom1(); }); });
    // Only the user's choice counts; refilling the list after a scan is not a choice.
    connect(portList, &QComboBox::activated, this,
            [this, &s](int index) { run([&s, index] { s.choosePort(index); }); });
    connect(dataIntervalEdit, &QSpinBox::valueChanged, this,
            [this, &s](int value) { run([&s, value] { s.setDataInterval(std::to_string(value)); }); });
}

void ConnectionBar::nameControls() {
    // The names "Form1"'s controls had, so anything that looks one up by it still finds it.
    openPortButton->setObjectName("OpenCommport");
    portList->setObjectName("ComboBox1");
    closePortButton->setObjectName("Button2");
    pauseButton->setObjectName("Stop");
    resumeButton->setObjectName("Button11");
    dataIntervalEdit->setObjectName("SpinEdit5");
    fetchValuesButton->setObjectName("FetchKVRVals");
    titleEdit->setObjectName("Edit4");
    loggingStatusLabel->setObjectName("Label6");
    imageBytesButton->setObjectName("Button1");
    clearCom1Button->setObjectName("Button13");
    readCom1Button->setObjectName("Button14");
    closeCom1Button->setObjectName("Button17");
    // Names for the controls whose text does not say what they are.
    portList->setAccessibleName("Com port");
    dataIntervalEdit->setAccessibleName("Data interval in milliseconds");
    titleEdit->setAccessibleName("Title and file name");
}

void ConnectionBar::showPorts(const kvr::SessionStatus& status) {
    if (status.ports != portsShown_) {
        const QSignalBlocker quiet(portList);
        portList->clear();
        for (const auto& item : status.ports) portList->addItem(latin1(item));
        portsShown_ = status.ports;
    }
    if (portList->currentIndex() != status.portIndex) {
        const QSignalBlocker quiet(portList);
        portList->setCurrentIndex(status.portIndex);
    }
    portList->setEnabled(status.portChoiceEnabled);
}

void ConnectionBar::showLoggingNote(const std::string& note) {
    const QString text = QString::fromStdString(note);
    if (loggingStatusLabel->text() != text) loggingStatusLabel->setText(text);
}
