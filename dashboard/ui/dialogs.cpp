#include "dashboard/ui/dialogs.h"

#include <QMessageBox>

void QtDialogs::warning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("KVR Dash & Logger"), text, QMessageBox::Ok);
}

void QtDialogs::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("KVR Dash & Logger"), text, QMessageBox::Ok);
}
