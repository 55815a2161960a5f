#pragma once
// The application object: the standard error display for every handler (an
// error leaving one is shown in a message box and the program goes on; Qt never
// sees an exception), and the note of Esc presses for the key state.
#include <QApplication>

namespace korvane {

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;

  // The message box of the standard error display.
  static void ShowError(const QString& text);
};

}  // namespace korvane
