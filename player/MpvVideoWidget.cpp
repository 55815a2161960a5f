#include "player/MpvVideoWidget.h"

#include <mpv/render_gl.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QResizeEvent>
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
}

TMpvRenderWindow::~TMpvRenderWindow() { FreeRenderContext(); }

bool TMpvRenderWindow::InitRenderContext() {
  if (render_) return true;
  if (!QGuiApplication::instance()) return false;
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
  if (mpv_render_context_create(&render_, mpv_, params) < 0) {
    render_ = nullptr;
    gl_->doneCurrent();
    offscreen_.reset();
    gl_.reset();
    return false;
  }
  mpv_render_context_set_update_callback(render_, &TMpvRenderWindow::OnMpvUpdate, this);
  gl_->doneCurrent();
  return true;
}

void TMpvRenderWindow::FreeRenderContext() {
  if (!render_) return;
  mpv_render_context_set_update_callback(render_, nullptr, nullptr);
  if (gl_ && offscreen_) gl_->makeCurrent(offscreen_.get());
  mpv_render_context_free(render_);
  render_ = nullptr;
  if (gl_) gl_->doneCurrent();
}

void TMpvRenderWindow::OnMpvUpdate(void* self) {
  // Any thread: hand the update to the GUI thread, once until it has been served.
  auto* window = static_cast<TMpvRenderWindow*>(self);
  if (window->updatePending_.exchange(true)) return;
  QMetaObject::invokeMethod(window, [window] { window->ProcessUpdate(); }, Qt::QueuedConnection);
}

void TMpvRenderWindow::ProcessUpdate() {
  updatePending_ = false;
  if (!render_) return;
  const uint64_t flags = mpv_render_context_update(render_);
  if (flags & MPV_RENDER_UPDATE_FRAME) Render(!isExposed());
}

void TMpvRenderWindow::Render(bool skip) {
  if (!render_ || !gl_) return;
  const bool onWindow = !skip && isExposed() && handle();
  if (!gl_->makeCurrent(onWindow ? static_cast<QSurface*>(this) : offscreen_.get())) return;
  const qreal dpr = devicePixelRatio();
  mpv_opengl_fbo fbo{static_cast<int>(gl_->defaultFramebufferObject()),
                     onWindow ? static_cast<int>(width() * dpr) : 1,
                     onWindow ? static_cast<int>(height() * dpr) : 1, 0};
  int flipY = 1;
  int skipRendering = onWindow ? 0 : 1;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
      {MPV_RENDER_PARAM_FLIP_Y, &flipY},
      {MPV_RENDER_PARAM_SKIP_RENDERING, &skipRendering},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context_render(render_, params);
  if (onWindow) {
    gl_->swapBuffers(this);
    mpv_render_context_report_swap(render_);
    ++frames_;
  }
}

void TMpvRenderWindow::exposeEvent(QExposeEvent*) {
  if (isExposed()) Render(false);
}

void TMpvRenderWindow::resizeEvent(QResizeEvent*) {
  if (isExposed()) Render(false);
}

bool TMpvRenderWindow::event(QEvent* event) {
  if (event->type() == QEvent::UpdateRequest) {
    Render(false);
    return true;
  }
  return QWindow::event(event);
}

void TMpvRenderWindow::mousePressEvent(QMouseEvent* event) {
  pressed_ = true;
  event->accept();
}

void TMpvRenderWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (!pressed_) return;
  pressed_ = false;
  const QPoint p = event->position().toPoint();
  if (click_ && p.x() >= 0 && p.y() >= 0 && p.x() < width() && p.y() < height())
    click_(ClickButtonCode(event->button()), ClickShiftCode(event->modifiers()), p.x(), p.y());
  event->accept();
}

void TMpvRenderWindow::focusInEvent(QFocusEvent*) {
  // Should the window system hand it the focus anyway, give it back to the
  // main window, whose short-cuts are the program's interface.
  if (QWindow* top = parent(QWindow::IncludeTransients)) {
    while (top->parent()) top = top->parent();
    top->requestActivate();
  }
}

TMpvVideoWidget::TMpvVideoWidget(QWidget* parent, TMpvRenderWindow* renderWindow)
    : QWidget(parent), window_(renderWindow) {
  setCursor(Qt::CrossCursor);
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  if (renderWindow) {
    container_ = QWidget::createWindowContainer(renderWindow, this, Qt::WindowFlags());
    container_->setFocusPolicy(Qt::NoFocus);
    container_->setCursor(Qt::CrossCursor);
    container_->setGeometry(rect());
  }
}

void TMpvVideoWidget::SetClickSink(ClickSink sink) {
  click_ = sink;
  if (window_) window_->SetClickSink(std::move(sink));
}

void TMpvVideoWidget::mousePressEvent(QMouseEvent* event) {
  pressed_ = true;
  event->accept();
}

void TMpvVideoWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!pressed_) return;
  pressed_ = false;
  const QPoint p = event->position().toPoint();
  if (click_ && rect().contains(p))
    click_(ClickButtonCode(event->button()), ClickShiftCode(event->modifiers()), p.x(), p.y());
  event->accept();
}

void TMpvVideoWidget::resizeEvent(QResizeEvent* event) {
  if (container_) container_->setGeometry(QRect(QPoint(0, 0), event->size()));
  QWidget::resizeEvent(event);
}

}  // namespace korvane
