#include "config/UpDown.h"

#include <QKeyEvent>
#include <algorithm>
#include <QLineEdit>
#include <QToolButton>

#include "base/IntParse.h"

namespace korvane {

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), FUp(new QToolButton(this)), FDown(new QToolButton(this)) {
  FUp->setArrowType(Qt::UpArrow);
  FDown->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {FUp, FDown}) {
    // The focus stays in the associate, as with the arrows of a spin box.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
  }
  setFocusPolicy(Qt::NoFocus);
  connect(FUp, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(FDown, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::setPosition(int value) { FPosition = std::clamp(value, FMin, FMax); }

void TUpDown::setAssociate(QLineEdit* edit) {
  FAssociate = edit;
  edit->installEventFilter(this);
}

void TUpDown::FollowAssociate() const {
  if (!FAssociate) return;
  const auto value = ParseInt(FAssociate->text().toStdString());
  if (value && *value >= FMin && *value <= FMax) FPosition = *value;
}

int TUpDown::position() const {
  FollowAssociate();
  return FPosition;
}

void TUpDown::Step(int delta) {
  FollowAssociate();
  int next = FPosition + delta;
  if (next > FMax) next = FWrap ? FMin : FMax;
  if (next < FMin) next = FWrap ? FMax : FMin;
  FPosition = next;
  if (FAssociate) FAssociate->setText(QString::number(FPosition));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FAssociate && event->type() == QEvent::FocusOut) FollowAssociate();
  if (watched == FAssociate && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? +1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int half = height() / 2;
  FUp->setGeometry(0, 0, width(), half);
  FDown->setGeometry(0, half, width(), height() - half);
}

}  // namespace korvane
