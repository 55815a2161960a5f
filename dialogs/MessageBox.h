#pragma once
// Message boxes that show their text as it is: the paths, names and system
// texts they carry are never taken for markup (a file named "<h1>x</h1>" is
// shown by its name, not as a heading).
#include <QMessageBox>
#include <QString>

namespace korvane {

// Shows a modal box owned by owner; returns the button it was closed with.
QMessageBox::StandardButton ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& title,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// An error box with an OK button.
inline void ShowErrorBox(QWidget* owner, const QString& title, const QString& text) {
  ShowMessageBox(owner, QMessageBox::Critical, title, text);
}

}  // namespace korvane
