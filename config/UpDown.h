#pragma once
// An up-down control: two arrow buttons beside an edit field (its associate)
// that step a position within a range, optionally wrapping, and write it into
// the field. The field's text is read when the control is used or the field is
// left: a whole number within the range becomes the position, anything else
// leaves the last such position.
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace korvane {

class TUpDown : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
  Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
  Q_PROPERTY(bool wrap READ wrap WRITE setWrap)
  Q_PROPERTY(int position READ position WRITE setPosition)

 public:
  explicit TUpDown(QWidget* parent = nullptr);

  int minimum() const { return FMin; }
  int maximum() const { return FMax; }
  bool wrap() const { return FWrap; }
  int position() const;
  void setMinimum(int value) { FMin = value; }
  void setMaximum(int value) { FMax = value; }
  void setWrap(bool value) { FWrap = value; }
  void setPosition(int value);

  // The field the control follows and writes; its Up and Down keys step too.
  void setAssociate(QLineEdit* edit);
  // One step up (+1) or down (-1), written into the associate.
  void Step(int delta);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FollowAssociate() const;

  QToolButton* FUp;
  QToolButton* FDown;
  QLineEdit* FAssociate = nullptr;
  int FMin = 0;
  int FMax = 100;
  bool FWrap = false;
  mutable int FPosition = 0;
};

}  // namespace korvane
