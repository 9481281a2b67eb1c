// The core keeps texts as bytes (Latin-1, as the ECU and the log files
// have them) and file names in the system's encoding; these turn them into
// Qt's strings and back.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

inline QString latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<int>(s.size()));
}

inline QString fromFileName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

inline std::string toFileName(const QString& name) { return QFile::encodeName(name).toStdString(); }
