#include "player/PlayerArea.h"

#include <QApplication>
#include <QMouseEvent>

#include "player/ControlStrip.h"

namespace korvane {

bool OverStrip(int y, int areaHeight, int stripHeight) { return y >= areaHeight - stripHeight && y < areaHeight; }

TPlayerArea::TPlayerArea(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::CrossCursor);
  FHideTimer.setSingleShot(true);
  FHideTimer.setInterval(kStripHideMs);
  connect(&FHideTimer, &QTimer::timeout, this, [this] { HideStrip(); });
}

TPlayerArea::~TPlayerArea() {
  qApp->removeEventFilter(this);
  if (FStrip && FStrip->parentWidget() != this) delete FStrip.data();  // it holds the player
}

void TPlayerArea::SetParts(QWidget* picture, TControlStrip* strip) {
  FPicture = picture;
  FStrip = strip;
  Place();
}

void TPlayerArea::Place() {
  if (!FPicture || !FStrip) return;
  const int stripHeight = std::min(FStrip->sizeHint().height(), height());
  const QRect stripRect(0, height() - stripHeight, width(), stripHeight);
  const QPoint origin = FStrip->parentWidget() == this ? QPoint(0, 0) : mapTo(FStrip->parentWidget(), QPoint(0, 0));
  FStrip->setGeometry(stripRect.translated(origin));
  FPicture->setGeometry(0, 0, width(), FOverlay && !PictureGivesWay() ? height() : stripRect.top());
}

// A strip without a window of its own is drawn in the main window's, under the
// picture's: in full screen the picture makes room for it while it shows.
bool TPlayerArea::PictureGivesWay() const {
  return FStrip && !FStrip->isHidden() && !FStrip->testAttribute(Qt::WA_NativeWindow);
}

void TPlayerArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Place();
}

void TPlayerArea::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  WatchWindow();
}

// The window's full-screen state decides where the strip goes.
void TPlayerArea::WatchWindow() {
  QWidget* top = window();
  if (top == FWatchedWindow) return;
  if (FWatchedWindow) FWatchedWindow->removeEventFilter(this);
  FWatchedWindow = top;
  top->installEventFilter(this);
  SetOverlay(top->isFullScreen());
}

void TPlayerArea::SetOverlay(bool overlay) {
  if (overlay == FOverlay) return;
  FOverlay = overlay;
  FHideTimer.stop();
  // Every pointer move of the program, also over the picture's own window.
  if (overlay) qApp->installEventFilter(this);
  else qApp->removeEventFilter(this);
  if (!FStrip) return;
  // The picture's window is a child of the main window's own, placed over
  // every widget: only a sibling of it can be raised above it.
  FStrip->setParent(overlay ? window() : this);
  FStrip->setVisible(!overlay);
  Place();
}

bool TPlayerArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FWatchedWindow && event->type() == QEvent::WindowStateChange)
    SetOverlay(FWatchedWindow->isFullScreen());
  else if (FOverlay && event->type() == QEvent::MouseMove)
    NotePointer(static_cast<QMouseEvent*>(event)->globalPosition());
  return QWidget::eventFilter(watched, event);
}

void TPlayerArea::NotePointer(const QPointF& global) {
  if (!FStrip) return;
  const QPoint at = mapFromGlobal(global.toPoint());
  const bool over = rect().contains(at) && OverStrip(at.y(), height(), FStrip->height());
  if (!over && !FStrip->Dragging()) {
    HideStrip();
    return;
  }
  const bool shown = !FStrip->isHidden();
  FStrip->show();
  FStrip->raise();  // again each time: a swap to a standby raises the picture's new window
  if (!shown) Place();
  FHideTimer.start();
}

void TPlayerArea::HideStrip() {
  // A drag goes on to its release, wherever the pointer rests meanwhile.
  if (FStrip->Dragging()) {
    FHideTimer.start();
    return;
  }
  FHideTimer.stop();
  if (FStrip->isHidden()) return;
  FStrip->hide();
  Place();
}

}  // namespace korvane
