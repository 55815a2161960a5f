#include "player/MpvVideoWidget.h"
#include "player/OnWayland.h"

#include <mpv/render_gl.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPlatformSurfaceEvent>
#include <QResizeEvent>
#include <QThread>
#include <QVBoxLayout>

namespace korvane {

int16_t ClickButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

int16_t ClickShiftCode(Qt::KeyboardModifiers modifiers) {
  int16_t code = 0;
  if (modifiers & Qt::ShiftModifier) code |= 1;
  if (modifiers & Qt::ControlModifier) code |= 2;
  if (modifiers & Qt::AltModifier) code |= 4;
  return code;
}

void TClickGesture::Press(QMouseEvent* event) {
  FPressed = true;
  event->accept();
}

void TClickGesture::DoubleClick(QMouseEvent* event, const QRect& area) {
  FPressed = false;
  const QPoint p = event->position().toPoint();
  if (FDoubleClickSink && area.contains(p))
    FDoubleClickSink(ClickButtonCode(event->button()), ClickShiftCode(event->modifiers()), p.x(), p.y());
  event->accept();
}

void TClickGesture::Release(QMouseEvent* event, const QRect& area) {
  if (!FPressed) return;
  FPressed = false;
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::RightButton && contextMenuSink_) {
    if (area.contains(p)) contextMenuSink_(event->globalPosition().toPoint());
    event->accept();
    return;
  }
  if (FSink && area.contains(p)) FSink(ClickButtonCode(event->button()), ClickShiftCode(event->modifiers()), p.x(), p.y());
  event->accept();
}

namespace {

void* GetProcAddress(void* ctx, const char* name) {
  auto* gl = static_cast<QOpenGLContext*>(ctx);
  return reinterpret_cast<void*>(gl->getProcAddress(name));
}

QSurfaceFormat VideoFormat() {
  QSurfaceFormat format = QSurfaceFormat::defaultFormat();
  format.setSwapInterval(0);  // never block the GUI thread in a swap
  format.setDepthBufferSize(0);
  format.setStencilBufferSize(0);
  return format;
}

}  // namespace

TMpvRenderWindow::TMpvRenderWindow(mpv_handle* mpv) : FMpv(mpv) {
  setSurfaceType(QSurface::OpenGLSurface);
  setFormat(VideoFormat());
  // A click must not move the keyboard focus away from the main window.
  setFlags(flags() | Qt::WindowDoesNotAcceptFocus);
  setCursor(Qt::CrossCursor);
  // Emitted before the platform window is hidden, which on Wayland takes its surface.
  connect(this, &QWindow::visibleChanged, this, [this](bool visible) {
    if (visible)
      RequestRender(true);
    else
      HoldDrawing();
  });
}

TMpvRenderWindow::~TMpvRenderWindow() { FreeRenderContext(); }

bool TMpvRenderWindow::InitRenderContext() {
  if (FRender) return true;
  if (!QGuiApplication::instance() || !QOpenGLContext::supportsThreadedOpenGL()) return false;
  FGl = std::make_unique<QOpenGLContext>();
  FGl->setFormat(VideoFormat());
  if (!FGl->create()) {
    FGl.reset();
    return false;
  }
  FOffscreen = std::make_unique<QOffscreenSurface>();
  FOffscreen->setFormat(FGl->format());
  FOffscreen->create();
  if (!FOffscreen->isValid() || !FGl->makeCurrent(FOffscreen.get())) {
    FOffscreen.reset();
    FGl.reset();
    return false;
  }
  mpv_opengl_init_params init{&GetProcAddress, FGl.get()};
  int advanced = 0;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
      {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  const bool created = mpv_render_context_create(&FRender, FMpv, params) >= 0;
  FGl->doneCurrent();
  if (!created) {
    FRender = nullptr;
    FOffscreen.reset();
    FGl.reset();
    return false;
  }
  FThread = QThread::create([this] { RenderLoop(); });
  FThread->setObjectName("mpv-render");
  FGl->moveToThread(FThread);
  mpv_render_context_set_update_callback(FRender, &TMpvRenderWindow::OnMpvUpdate, this);
  FThread->start();
  return true;
}

void TMpvRenderWindow::FreeRenderContext() {
  if (!FThread) return;
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FQuit = true;
  }
  FWake.notify_one();
  FThread->wait();  // the thread frees the render context on its way out
  delete FThread;
  FThread = nullptr;
  FRender = nullptr;
}

void TMpvRenderWindow::OnMpvUpdate(void* self) {
  // Any thread.
  auto* window = static_cast<TMpvRenderWindow*>(self);
  {
    std::lock_guard<std::mutex> lock(window->FMutex);
    window->FUpdate = true;
  }
  window->FWake.notify_one();
}

// A Wayland sub-surface is on screen with its parent, but a re-shown one is
// not always sent an expose event; it is mapped by the first frame drawn.
bool TMpvRenderWindow::ShownWithItsParent() const {
  return OnWayland() && parent() && parent()->isExposed();
}

void TMpvRenderWindow::HoldDrawing() {
  std::unique_lock<std::mutex> lock(FMutex);
  FExposed = false;
  FFrameDone.wait(lock, [this] { return !FDrawing; });
}

void TMpvRenderWindow::RequestRender(bool force) {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FExposed = isVisible() && handle() && (isExposed() || ShownWithItsParent());
    const qreal dpr = devicePixelRatio();
    FPixels = QSize(static_cast<int>(width() * dpr), static_cast<int>(height() * dpr));
    FForce = FForce || force;
  }
  FWake.notify_one();
}

void TMpvRenderWindow::RenderLoop() {
  for (;;) {
    bool update = false, force = false, exposed = false;
    QSize size;
    {
      std::unique_lock<std::mutex> lock(FMutex);
      FWake.wait(lock, [this] { return FUpdate || FForce || FQuit; });
      if (FQuit) break;
      update = std::exchange(FUpdate, false);
      force = std::exchange(FForce, false);
      size = FPixels;
      exposed = FExposed && !size.isEmpty();
      FDrawing = exposed;
    }
    const uint64_t flags = update ? mpv_render_context_update(FRender) : 0;
    if (force || (flags & MPV_RENDER_UPDATE_FRAME)) Render(exposed, size);
    if (exposed) {
      std::lock_guard<std::mutex> lock(FMutex);
      FDrawing = false;
      FFrameDone.notify_all();
    }
  }
  FGl->makeCurrent(FOffscreen.get());
  mpv_render_context_set_update_callback(FRender, nullptr, nullptr);
  mpv_render_context_free(FRender);
  FGl->doneCurrent();
}

void TMpvRenderWindow::Render(bool onWindow, QSize size) {
  if (!FGl->makeCurrent(onWindow ? static_cast<QSurface*>(this) : FOffscreen.get())) return;
  mpv_opengl_fbo fbo{static_cast<int>(FGl->defaultFramebufferObject()), onWindow ? size.width() : 1,
                     onWindow ? size.height() : 1, 0};
  int flipY = 1;
  int skipRendering = onWindow ? 0 : 1;  // hidden: only keep mpv's frame timing going
  int block = 0;                         // never wait for the frame's display time here
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
      {MPV_RENDER_PARAM_FLIP_Y, &flipY},
      {MPV_RENDER_PARAM_SKIP_RENDERING, &skipRendering},
      {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context_render(FRender, params);
  if (onWindow) {
    FGl->swapBuffers(this);
    // Not left current on a surface that the GUI thread may take away.
    FGl->doneCurrent();
    mpv_render_context_report_swap(FRender);
    ++FFrames;
  }
}

bool TMpvRenderWindow::event(QEvent* event) {
  if (event->type() == QEvent::PlatformSurface &&
      static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
    HoldDrawing();
  return QWindow::event(event);
}

void TMpvRenderWindow::exposeEvent(QExposeEvent*) { RequestRender(true); }

void TMpvRenderWindow::resizeEvent(QResizeEvent*) { RequestRender(true); }

void TMpvRenderWindow::mousePressEvent(QMouseEvent* event) { FClick.Press(event); }

void TMpvRenderWindow::mouseReleaseEvent(QMouseEvent* event) { FClick.Release(event, QRect(QPoint(0, 0), size())); }

void TMpvRenderWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  FClick.DoubleClick(event, QRect(QPoint(0, 0), size()));
}

void TMpvRenderWindow::focusInEvent(QFocusEvent*) {
  // Should the window system hand it the focus anyway, give it back to the
  // main window, whose short-cuts are the program's interface.
  if (QWindow* top = parent(QWindow::IncludeTransients)) {
    while (top->parent()) top = top->parent();
    top->requestActivate();
  }
}

TMpvVideoWidget::TMpvVideoWidget(QWidget* parent, TMpvRenderWindow* renderWindow) : QWidget(parent) {
  setCursor(Qt::CrossCursor);
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  if (renderWindow) AddSurface(renderWindow);
}

TMpvVideoWidget* TMpvVideoWidget::Create(QWidget* parent, mpv_handle* mpv, bool drawn) {
  TMpvRenderWindow* window = drawn ? NewRenderWindow(mpv) : nullptr;
  // No OpenGL here (e.g. the offscreen platform): play without a picture.
  if (drawn && !window) mpv_set_property_string(mpv, "vo", "null");
  auto* widget = new TMpvVideoWidget(parent, window);
  widget->resize(712, 415);
  if (parent) widget->show();  // also when the panel is already on screen
  return widget;
}

TMpvRenderWindow* TMpvVideoWidget::NewRenderWindow(mpv_handle* mpv) {
  auto* window = new TMpvRenderWindow(mpv);
  if (window->InitRenderContext()) return window;
  delete window;
  return nullptr;
}

TMpvRenderWindow* TMpvVideoWidget::AddSurface(mpv_handle* mpv) {
  if (FSurfaces.empty()) return nullptr;  // the first core draws nothing: neither do the others
  TMpvRenderWindow* window = NewRenderWindow(mpv);
  if (window) AddSurface(window);
  return window;
}

void TMpvVideoWidget::AddSurface(TMpvRenderWindow* window) {
  QWidget* container = QWidget::createWindowContainer(window, this, Qt::WindowFlags());
  container->setFocusPolicy(Qt::NoFocus);
  container->setCursor(Qt::CrossCursor);
  container->setGeometry(rect());
  // Only the first is seen until a core is made current.
  container->setVisible(FSurfaces.empty());
  window->SetClickSink(FClick.Sink());
  window->SetDoubleClickSink(FClick.DoubleClickSink());
  window->SetContextMenuSink(FClick.ContextMenu());
  FSurfaces.push_back({window, container});
}

void TMpvVideoWidget::ShowSurface(TMpvRenderWindow* window) {
  for (const Surface& s : FSurfaces) {
    if (s.window != window) continue;
    s.container->setGeometry(rect());
    s.container->show();
    s.container->raise();
  }
  // Hidden after the new one is up, so the panel never shows black between them.
  for (const Surface& s : FSurfaces)
    if (s.window != window) s.container->hide();
}

void TMpvVideoWidget::RemoveSurface(TMpvRenderWindow* window) {
  for (auto it = FSurfaces.begin(); it != FSurfaces.end(); ++it) {
    if (it->window != window) continue;
    window->FreeRenderContext();
    delete it->container;  // and the window it holds
    FSurfaces.erase(it);
    return;
  }
}

void TMpvVideoWidget::SetClickSink(ClickSink sink) {
  FClick.SetSink(sink);
  for (const Surface& s : FSurfaces) s.window->SetClickSink(sink);
}

void TMpvVideoWidget::SetDoubleClickSink(ClickSink sink) {
  FClick.SetDoubleClickSink(sink);
  for (const Surface& s : FSurfaces) s.window->SetDoubleClickSink(sink);
}

void TMpvVideoWidget::SetContextMenuSink(ContextMenuSink sink) {
  FClick.SetContextMenuSink(sink);
  for (const Surface& s : FSurfaces) s.window->SetContextMenuSink(sink);
}

void TMpvVideoWidget::mousePressEvent(QMouseEvent* event) { FClick.Press(event); }

void TMpvVideoWidget::mouseReleaseEvent(QMouseEvent* event) { FClick.Release(event, rect()); }

void TMpvVideoWidget::mouseDoubleClickEvent(QMouseEvent* event) { FClick.DoubleClick(event, rect()); }

void TMpvVideoWidget::resizeEvent(QResizeEvent* event) {
  for (const Surface& s : FSurfaces) s.container->setGeometry(QRect(QPoint(0, 0), event->size()));
  QWidget::resizeEvent(event);
}

}  // namespace korvane
