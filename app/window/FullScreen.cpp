#include "app/window/FullScreen.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include "player/OnWayland.h"

namespace korvane {

// The items of the menu and of its sub-menus.
void TFullScreen::AddMenuShortcuts(QAction* menu) {
  if (!menu->menu()) return;
  for (QAction* item : menu->menu()->actions()) {
    FWindow.addAction(item);
    AddMenuShortcuts(item);
  }
}

TFullScreen::TFullScreen(QMainWindow& window, QWidget& picture, std::vector<QWidget*> chrome)
    : FWindow(window), FPicture(picture), FChrome(std::move(chrome)) {
  // The hidden menu bar's short-cuts go with it; the window itself keeps them.
  for (QAction* menu : FWindow.menuBar()->actions()) AddMenuShortcuts(menu);
  FPointerTimer.setSingleShot(true);
  FPointerTimer.setInterval(kPointerHideMs);
  connect(&FPointerTimer, &QTimer::timeout, this, [this] { HidePointer(); });
}

TFullScreen::~TFullScreen() { ShowPointer(); }

bool TFullScreen::MayChange() const { return !FWindow.isMinimized() && !QApplication::activeModalWidget(); }

void TFullScreen::Toggle() {
  if (FActive) Leave();
  else Enter();
}

void TFullScreen::Enter() {
  if (FActive || !MayChange()) return;
  FActive = true;
  FSavedState = FWindow.windowState();
  FSavedGeometry = FWindow.geometry();
  for (QWidget* widget : FChrome) widget->hide();
  SetPictureColour(Qt::black);
  // Placed over the screen first: without a window manager nothing else would.
  // A Wayland compositor always does, and gives the old size back itself; a
  // size the window sets meanwhile leaves it stuck full screen or resized.
  if (QScreen* screen = FWindow.screen(); screen && !OnWayland()) FWindow.setGeometry(screen->geometry());
  FWindow.setWindowState((FSavedState & ~Qt::WindowMaximized) | Qt::WindowFullScreen);
  qApp->installEventFilter(this);
  FPointerTimer.start();
}

void TFullScreen::Leave() {
  if (!FActive || !MayChange()) return;
  FActive = false;
  qApp->removeEventFilter(this);
  FPointerTimer.stop();
  ShowPointer();
  FWindow.setWindowState(FSavedState);
  if (!(FSavedState & Qt::WindowMaximized) && !OnWayland()) FWindow.setGeometry(FSavedGeometry);
  SetPictureColour(Qt::white);
  for (QWidget* widget : FChrome) widget->show();
}

void TFullScreen::SetPictureColour(const QColor& colour) {
  QPalette palette = FPicture.palette();
  palette.setColor(QPalette::Window, colour);
  FPicture.setPalette(palette);
}

bool TFullScreen::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    ShowPointer();
    FPointerTimer.start();
  }
  return QObject::eventFilter(watched, event);
}

void TFullScreen::HidePointer() {
  if (FPointerHidden) return;
  FPointerHidden = true;
  QApplication::setOverrideCursor(Qt::BlankCursor);
}

void TFullScreen::ShowPointer() {
  if (!FPointerHidden) return;
  FPointerHidden = false;
  QApplication::restoreOverrideCursor();
}

}  // namespace korvane
