#include "config/UpDown.h"

#include <QKeyEvent>
#include <algorithm>
#include <QLineEdit>
#include <QToolButton>

#include "base/IntParse.h"

namespace korvane {

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {up_, down_}) {
    // The focus stays in the associate, as with the arrows of a spin box.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
  }
  setFocusPolicy(Qt::NoFocus);
  connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::setPosition(int value) { position_ = std::clamp(value, min_, max_); }

void TUpDown::setAssociate(QLineEdit* edit) {
  associate_ = edit;
  edit->installEventFilter(this);
}

void TUpDown::FollowAssociate() const {
  if (!associate_) return;
  const auto value = ParseInt(associate_->text().toStdString());
  if (value && *value >= min_ && *value <= max_) position_ = *value;
}

int TUpDown::position() const {
  FollowAssociate();
  return position_;
}

void TUpDown::Step(int delta) {
  FollowAssociate();
  int next = position_ + delta;
  if (next > max_) next = wrap_ ? min_ : max_;
  if (next < min_) next = wrap_ ? max_ : min_;
  position_ = next;
  if (associate_) associate_->setText(QString::number(position_));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == associate_ && event->type() == QEvent::FocusOut) FollowAssociate();
  if (watched == associate_ && event->type() == QEvent::KeyPress) {
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
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace korvane
