#include "app/startup/Application.h"

#include <QIcon>
#include <QKeyEvent>
#include <exception>

#include "dialogs/info/Info.h"
#include "dialogs/MessageBox.h"
#include "platform/EscapeKey.h"
#include "platform/OwnExecutable.h"

namespace korvane {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Named after the executable (the front that started this one), not the command that ran it
  // (korvane, a link): message boxes and the window class then match the captions and the desktop entry.
  setApplicationName(QString::fromStdString(ApplicationTitle(OwnExecutablePath())));
  setDesktopFileName(QStringLiteral("korvane"));
  // Built into the program; without Qt's SVG support the windows keep the desktop's default.
  setWindowIcon(QIcon(QStringLiteral(":/korvane.svg")));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
      NoteEscapePressed();
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
  } catch (...) {
    ShowError(QStringLiteral("Unknown error"));
  }
  return false;
}

void TApplication::ShowError(const QString& text) {
  try {
    ShowErrorBox(activeWindow(), applicationName(), text);
  } catch (...) {
    // An error while showing the error has nowhere left to go.
  }
}

}  // namespace korvane
