#include "player/MpvVideoWidget.h"

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
  pressed_ = true;
  event->accept();
}

void TClickGesture::DoubleClick(QMouseEvent* event, const QRect& area) {
  pressed_ = false;
  const QPoint p = event->position().toPoint();
  if (doubleClickSink_ && area.contains(p))
    doubleClickSink_(ClickButtonCode(event->button()), ClickShiftCode(event->modifiers()), p.x(), p.y());
  event->accept();
}

void TClickGesture::Release(QMouseEvent* event, const QRect& area) {
  if (!pressed_) return;
  pressed_ = false;
  const QPoint p = event->position().toPoint();
  if (sink_ && area.contains(p)) sink_(ClickButtonCode(event->button()), ClickShiftCode(event->modifiers()), p.x(), p.y());
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

TMpvRenderWindow::TMpvRenderWindow(mpv_handle* mpv) : mpv_(mpv) {
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
  if (render_) return true;
  if (!QGuiApplication::instance() || !QOpenGLContext::supportsThreadedOpenGL()) return false;
  gl_ = std::make_unique<QOpenGLContext>();
  gl_->setFormat(VideoFormat());
  if (!gl_->create()) {
    gl_.reset();
    return false;
  }
  offscreen_ = std::make_unique<QOffscreenSurface>();
  offscreen_->setFormat(gl_->format());
  offscreen_->create();
  if (!offscreen_->isValid() || !gl_->makeCurrent(offscreen_.get())) {
    offscreen_.reset();
    gl_.reset();
    return false;
  }
  mpv_opengl_init_params init{&GetProcAddress, gl_.get()};
  int advanced = 0;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
      {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  const bool created = mpv_render_context_create(&render_, mpv_, params) >= 0;
  gl_->doneCurrent();
  if (!created) {
    render_ = nullptr;
    offscreen_.reset();
    gl_.reset();
    return false;
  }
  thread_ = QThread::create([this] { RenderLoop(); });
  thread_->setObjectName("mpv-render");
  gl_->moveToThread(thread_);
  mpv_render_context_set_update_callback(render_, &TMpvRenderWindow::OnMpvUpdate, this);
  thread_->start();
  return true;
}

void TMpvRenderWindow::FreeRenderContext() {
  if (!thread_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_->wait();  // the thread frees the render context on its way out
  delete thread_;
  thread_ = nullptr;
  render_ = nullptr;
}

void TMpvRenderWindow::OnMpvUpdate(void* self) {
  // Any thread.
  auto* window = static_cast<TMpvRenderWindow*>(self);
  {
    std::lock_guard<std::mutex> lock(window->mutex_);
    window->update_ = true;
  }
  window->wake_.notify_one();
}

// A Wayland sub-surface is on screen with its parent, but a re-shown one is
// not always sent an expose event; it is mapped by the first frame drawn.
bool TMpvRenderWindow::ShownWithItsParent() const {
  static const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  return wayland && parent() && parent()->isExposed();
}

void TMpvRenderWindow::HoldDrawing() {
  std::unique_lock<std::mutex> lock(mutex_);
  exposed_ = false;
  frameDone_.wait(lock, [this] { return !drawing_; });
}

void TMpvRenderWindow::RequestRender(bool force) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    exposed_ = isVisible() && handle() && (isExposed() || ShownWithItsParent());
    const qreal dpr = devicePixelRatio();
    pixels_ = QSize(static_cast<int>(width() * dpr), static_cast<int>(height() * dpr));
    force_ = force_ || force;
  }
  wake_.notify_one();
}

void TMpvRenderWindow::RenderLoop() {
  for (;;) {
    bool update = false, force = false, exposed = false;
    QSize size;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return update_ || force_ || quit_; });
      if (quit_) break;
      update = std::exchange(update_, false);
      force = std::exchange(force_, false);
      size = pixels_;
      exposed = exposed_ && !size.isEmpty();
      drawing_ = exposed;
    }
    const uint64_t flags = update ? mpv_render_context_update(render_) : 0;
    if (force || (flags & MPV_RENDER_UPDATE_FRAME)) Render(exposed, size);
    if (exposed) {
      std::lock_guard<std::mutex> lock(mutex_);
      drawing_ = false;
      frameDone_.notify_all();
    }
  }
  gl_->makeCurrent(offscreen_.get());
  mpv_render_context_set_update_callback(render_, nullptr, nullptr);
  mpv_render_context_free(render_);
  gl_->doneCurrent();
}

void TMpvRenderWindow::Render(bool onWindow, QSize size) {
  if (!gl_->makeCurrent(onWindow ? static_cast<QSurface*>(this) : offscreen_.get())) return;
  mpv_opengl_fbo fbo{static_cast<int>(gl_->defaultFramebufferObject()), onWindow ? size.width() : 1,
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
  mpv_render_context_render(render_, params);
  if (onWindow) {
    gl_->swapBuffers(this);
    // Not left current on a surface that the GUI thread may take away.
    gl_->doneCurrent();
    mpv_render_context_report_swap(render_);
    ++frames_;
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

void TMpvRenderWindow::mousePressEvent(QMouseEvent* event) { click_.Press(event); }

void TMpvRenderWindow::mouseReleaseEvent(QMouseEvent* event) { click_.Release(event, QRect(QPoint(0, 0), size())); }

void TMpvRenderWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  click_.DoubleClick(event, QRect(QPoint(0, 0), size()));
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
  if (surfaces_.empty()) return nullptr;  // the first core draws nothing: neither do the others
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
  container->setVisible(surfaces_.empty());
  window->SetClickSink(click_.Sink());
  window->SetDoubleClickSink(click_.DoubleClickSink());
  surfaces_.push_back({window, container});
}

void TMpvVideoWidget::ShowSurface(TMpvRenderWindow* window) {
  for (const Surface& s : surfaces_) {
    if (s.window != window) continue;
    s.container->setGeometry(rect());
    s.container->show();
    s.container->raise();
  }
  // Hidden after the new one is up, so the panel never shows black between them.
  for (const Surface& s : surfaces_)
    if (s.window != window) s.container->hide();
}

void TMpvVideoWidget::RemoveSurface(TMpvRenderWindow* window) {
  for (auto it = surfaces_.begin(); it != surfaces_.end(); ++it) {
    if (it->window != window) continue;
    window->FreeRenderContext();
    delete it->container;  // and the window it holds
    surfaces_.erase(it);
    return;
  }
}

void TMpvVideoWidget::SetClickSink(ClickSink sink) {
  click_.SetSink(sink);
  for (const Surface& s : surfaces_) s.window->SetClickSink(sink);
}

void TMpvVideoWidget::SetDoubleClickSink(ClickSink sink) {
  click_.SetDoubleClickSink(sink);
  for (const Surface& s : surfaces_) s.window->SetDoubleClickSink(sink);
}

void TMpvVideoWidget::mousePressEvent(QMouseEvent* event) { click_.Press(event); }

void TMpvVideoWidget::mouseReleaseEvent(QMouseEvent* event) { click_.Release(event, rect()); }

void TMpvVideoWidget::mouseDoubleClickEvent(QMouseEvent* event) { click_.DoubleClick(event, rect()); }

void TMpvVideoWidget::resizeEvent(QResizeEvent* event) {
  for (const Surface& s : surfaces_) s.container->setGeometry(QRect(QPoint(0, 0), event->size()));
  QWidget::resizeEvent(event);
}

}  // namespace korvane
