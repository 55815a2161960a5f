#pragma once
// Widget tests of the dialogs: one offscreen application per process, and a
// timer that answers message boxes the way a user would click them.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <deque>
#include <vector>

namespace korvane::test {

inline void EnsureApplication() {
  static int argc = 1;
  static char name[] = "dialogs_widget_tests";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QApplication app(argc, argv);
}

struct SeenBox {
  QString text;
  QWidget* owner = nullptr;
  bool yesIsDefault = false;
};

// Clicks the next answer on each message box that becomes modal.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::deque<QMessageBox::StandardButton> answers) : answers_(std::move(answers)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start(10);
  }
  std::vector<SeenBox> seen;

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || answers_.empty()) return;
    seen.push_back({box->text(), box->parentWidget(), box->defaultButton() == box->button(QMessageBox::Yes)});
    box->button(answers_.front())->click();
    answers_.pop_front();
  }
  std::deque<QMessageBox::StandardButton> answers_;
  QTimer timer_;
};

}  // namespace korvane::test
