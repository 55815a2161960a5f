#include "app/window/WindowEvents.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QKeyEvent>
#include <QWindow>

#include "app/window/Drops.h"

namespace korvane {

TWindowEvents::TWindowEvents(QWidget& window, QWidget& picturePanel, QComboBox& mediaList,
                             WindowEventHandlers handlers)
    : FWindow(window), FPicturePanel(picturePanel), FMediaList(mediaList), FHandlers(std::move(handlers)) {
  FPicturePanel.installEventFilter(this);
  qApp->installEventFilter(this);
}

TWindowEvents::~TWindowEvents() {
  qApp->removeEventFilter(this);
  FPicturePanel.removeEventFilter(this);
}

bool TWindowEvents::eventFilter(QObject* watched, QEvent* event) {
  NotePictureResize(watched, *event);
  PreviewKey(watched, *event);
  if (PictureDrag(watched, *event)) return true;
  if (SpaceOnList(watched, *event)) return true;
  return QObject::eventFilter(watched, event);
}

void TWindowEvents::NotePictureResize(const QObject* watched, const QEvent& event) const {
  if (watched == &FPicturePanel && event.type() == QEvent::Resize) FHandlers.pictureResized();
}

void TWindowEvents::PreviewKey(QObject* watched, QEvent& event) const {
  // A key reaches the window system's surface once, before any control; the
  // player's picture may be a surface of its own inside this window.
  if (event.type() == QEvent::KeyPress && IsOwnSurface(qobject_cast<QWindow*>(watched)))
    FHandlers.keyDown(static_cast<QKeyEvent&>(event));
}

bool TWindowEvents::PictureDrag(QObject* watched, QEvent& event) const {
  const auto* surface = qobject_cast<QWindow*>(watched);
  if (!surface || surface == FWindow.windowHandle() || !IsOwnSurface(surface)) return false;
  switch (event.type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
      AcceptUrlDrag(static_cast<QDragMoveEvent&>(event));
      return true;
    case QEvent::Drop:
      FHandlers.dropped(static_cast<QDropEvent&>(event));
      return true;
    default:
      return false;
  }
}

bool TWindowEvents::SpaceOnList(const QObject* watched, const QEvent& event) const {
  return watched == &FMediaList && event.type() == QEvent::KeyPress &&
         static_cast<const QKeyEvent&>(event).key() == Qt::Key_Space;
}

bool TWindowEvents::IsOwnSurface(const QWindow* surface) const {
  for (; surface; surface = surface->parent())
    if (surface == FWindow.windowHandle()) return true;
  return false;
}

}  // namespace korvane
