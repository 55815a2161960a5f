#include "app/window/FullScreen.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

namespace korvane {

TFullScreen::TFullScreen(QMainWindow& window, QWidget& picture, std::vector<QWidget*> chrome)
    : window_(window), picture_(picture), chrome_(std::move(chrome)) {
  // The hidden menu bar's short-cuts go with it; the window itself keeps them.
  for (QAction* menu : window_.menuBar()->actions())
    if (menu->menu()) window_.addActions(menu->menu()->actions());
  pointerTimer_.setSingleShot(true);
  pointerTimer_.setInterval(kPointerHideMs);
  connect(&pointerTimer_, &QTimer::timeout, this, [this] { HidePointer(); });
}

TFullScreen::~TFullScreen() { ShowPointer(); }

namespace {

bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace

bool TFullScreen::MayChange() const { return !window_.isMinimized() && !QApplication::activeModalWidget(); }

void TFullScreen::Toggle() {
  if (active_) Leave();
  else Enter();
}

void TFullScreen::Enter() {
  if (active_ || !MayChange()) return;
  active_ = true;
  savedState_ = window_.windowState();
  savedGeometry_ = window_.geometry();
  for (QWidget* widget : chrome_) widget->hide();
  SetPictureColour(Qt::black);
  // Placed over the screen first: without a window manager nothing else would.
  // A Wayland compositor always does, and gives the old size back itself; a
  // size the window sets meanwhile leaves it stuck full screen or resized.
  if (QScreen* screen = window_.screen(); screen && !OnWayland()) window_.setGeometry(screen->geometry());
  window_.setWindowState((savedState_ & ~Qt::WindowMaximized) | Qt::WindowFullScreen);
  qApp->installEventFilter(this);
  pointerTimer_.start();
}

void TFullScreen::Leave() {
  if (!active_ || !MayChange()) return;
  active_ = false;
  qApp->removeEventFilter(this);
  pointerTimer_.stop();
  ShowPointer();
  window_.setWindowState(savedState_);
  if (!(savedState_ & Qt::WindowMaximized) && !OnWayland()) window_.setGeometry(savedGeometry_);
  SetPictureColour(Qt::white);
  for (QWidget* widget : chrome_) widget->show();
}

void TFullScreen::SetPictureColour(const QColor& colour) {
  QPalette palette = picture_.palette();
  palette.setColor(QPalette::Window, colour);
  picture_.setPalette(palette);
}

bool TFullScreen::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    ShowPointer();
    pointerTimer_.start();
  }
  return QObject::eventFilter(watched, event);
}

void TFullScreen::HidePointer() {
  if (pointerHidden_) return;
  pointerHidden_ = true;
  QApplication::setOverrideCursor(Qt::BlankCursor);
}

void TFullScreen::ShowPointer() {
  if (!pointerHidden_) return;
  pointerHidden_ = false;
  QApplication::restoreOverrideCursor();
}

}  // namespace korvane
