#pragma once
// Widget tests: timers that act on modal dialogs and message boxes the way a
// user would.
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

// Clicks the next answer on each message box that becomes modal, once ready
// says so for it (always, when not given); ready may act on what the box is over.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::deque<QMessageBox::StandardButton> answers,
                       std::function<bool(QMessageBox&)> ready = {})
      : FAnswers(std::move(answers)), FReady(std::move(ready)) {
    QObject::connect(&FTimer, &QTimer::timeout, [this] { Answer(); });
    FTimer.start(10);
  }
  std::vector<SeenBox> seen;

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || FAnswers.empty() || (FReady && !FReady(*box))) return;
    seen.push_back({box->text(), box->parentWidget(), box->defaultButton() == box->button(QMessageBox::Yes),
                    box->textFormat() == Qt::PlainText});
    box->button(FAnswers.front())->click();
    FAnswers.pop_front();
  }
  std::deque<QMessageBox::StandardButton> FAnswers;
  std::function<bool(QMessageBox&)> FReady;
  QTimer FTimer;
};

// Acts on each modal dialog that comes up while it lives.
class TModalAnswerer {
 public:
  explicit TModalAnswerer(std::function<void(QWidget*)> answer) {
    QObject::connect(&FTimer, &QTimer::timeout, [answer] {
      if (QWidget* modal = QApplication::activeModalWidget()) answer(modal);
    });
    FTimer.start(20);
  }

 private:
  QTimer FTimer;
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
