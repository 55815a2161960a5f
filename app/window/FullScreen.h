#pragma once
// Full screen for the main window: only the picture shows, on black, over the
// whole screen; the mouse pointer hides after a second without movement. Going
// back restores the window's state and place as they were.
#include <QObject>
#include <QRect>
#include <QTimer>
#include <vector>

class QAction;
class QMainWindow;
class QWidget;

namespace korvane {

inline constexpr int kPointerHideMs = 1000;

class TFullScreen : public QObject {
 public:
  // picture: the panel that stays; chrome: everything else shown in the window.
  TFullScreen(QMainWindow& window, QWidget& picture, std::vector<QWidget*> chrome);
  ~TFullScreen() override;

  bool Active() const { return FActive; }
  // Neither acts while the window is minimised or a modal dialog is open.
  void Toggle();
  void Leave();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Enter();
  void AddMenuShortcuts(QAction* menu);
  bool MayChange() const;
  void SetPictureColour(const QColor& colour);
  void HidePointer();
  void ShowPointer();

  QMainWindow& FWindow;
  QWidget& FPicture;
  std::vector<QWidget*> FChrome;
  bool FActive = false;
  bool FPointerHidden = false;
  QTimer FPointerTimer;
  // What Leave restores.
  Qt::WindowStates FSavedState;
  QRect FSavedGeometry;
};

}  // namespace korvane
