#pragma once
// Widget tests of the dialogs (their application comes from WidgetTestMain.cpp):
// timers that act on modal dialogs and message boxes the way a user would.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace korvane::test {

struct SeenBox {
  QString text;
  QWidget* owner = nullptr;
  bool yesIsDefault = false;
  bool plainText = false;  // names and system texts are never markup
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
    seen.push_back({box->text(), box->parentWidget(), box->defaultButton() == box->button(QMessageBox::Yes),
                    box->textFormat() == Qt::PlainText});
    box->button(answers_.front())->click();
    answers_.pop_front();
  }
  std::deque<QMessageBox::StandardButton> answers_;
  QTimer timer_;
};

// Runs act once on the next modal dialog to come up, as a user would act on it.
inline void WhenModal(std::function<void(QDialog&)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    act(*dialog);
  });
  timer->start(10);
}

}  // namespace korvane::test
