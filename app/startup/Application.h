#pragma once
// The application object: the standard error display for every handler (an
// error leaving one is shown in a message box and the program goes on; Qt never
// sees an exception), the note of Esc presses for the key state, and the
// program's icon on every window.
#include <QApplication>

namespace korvane {

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The message box of the standard error display.
  static void ShowError(const QString& text);
};

}  // namespace korvane
