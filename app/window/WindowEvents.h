#pragma once
// The application-wide event filter of the main window. It does four jobs, each
// its own function: tells when the picture's panel is resized, previews each key
// for the window before the focused control, takes the drags over the player's
// picture (a window-system surface of its own), and keeps the space bar from
// opening the media list.
#include <QObject>
#include <functional>

class QComboBox;
class QDropEvent;
class QKeyEvent;
class QWidget;
class QWindow;

namespace korvane {

struct WindowEventHandlers {
  std::function<void()> pictureResized;
  std::function<void(QKeyEvent&)> keyDown;
  std::function<void(QDropEvent&)> dropped;
};

class TWindowEvents : public QObject {
 public:
  // Watches the whole application from now until it is destroyed.
  TWindowEvents(QWidget& window, QWidget& picturePanel, QComboBox& mediaList, WindowEventHandlers handlers);
  ~TWindowEvents() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void NotePictureResize(const QObject* watched, const QEvent& event) const;
  void PreviewKey(QObject* watched, QEvent& event) const;
  // True when the event was a drag over the picture, now served as one over the window.
  bool PictureDrag(QObject* watched, QEvent& event) const;
  // True for the space bar in the list: a drop-down list opens with Alt+Down or
  // F4, not with the key that toggles play.
  bool SpaceOnList(const QObject* watched, const QEvent& event) const;
  // Whether the window-system surface is the window's or one inside it.
  bool IsOwnSurface(const QWindow* surface) const;

  QWidget& FWindow;
  QWidget& FPicturePanel;
  QComboBox& FMediaList;
  WindowEventHandlers FHandlers;
};

}  // namespace korvane
