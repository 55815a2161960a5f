#pragma once
// The player's picture: a widget with the cross-hair cursor that reports
// clicks, holding (unless headless) a window of its own into which mpv draws
// through its OpenGL render API. The window is a QWindow in a window container,
// not a QOpenGLWidget: it has its own surface, so repainting the rest of the
// main window (the status bar every 10 ms) does not recompose it through OpenGL.
// It never takes the keyboard focus, so the main window's short-cuts keep
// working after a click on the picture.
// mpv's render API wants a render thread that makes no other libmpv calls
// (the core waits for it; a GUI thread blocked in a synchronous call would stall
// playback until a timeout), so the window draws on a thread of its own.
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct mpv_handle;
struct mpv_render_context;
class QMouseEvent;
class QOpenGLContext;
class QOffscreenSurface;
class QThread;

namespace korvane {

using ClickSink = std::function<void(int16_t button, int16_t shiftState, int32_t x, int32_t y)>;
// Where on the screen a right click asks for the context menu.
using ContextMenuSink = std::function<void(const QPoint& global)>;

// Button and shift-state numbers as the control's Click event gives them.
int16_t ClickButtonCode(Qt::MouseButton button);
int16_t ClickShiftCode(Qt::KeyboardModifiers modifiers);

// A press and then a release inside the area: a click, reported to the sink.
// The second press of a double click (a window sees it as a press, then a
// double click; a widget as the double click alone) is a double click, and its
// release no click: a double click is one click, then one double click.
// With a context-menu sink a right click opens the menu and is no click.
class TClickGesture {
 public:
  void SetSink(ClickSink sink) { FSink = std::move(sink); }
  void SetDoubleClickSink(ClickSink sink) { FDoubleClickSink = std::move(sink); }
  void SetContextMenuSink(ContextMenuSink sink) { contextMenuSink_ = std::move(sink); }
  const ClickSink& Sink() const { return FSink; }
  const ClickSink& DoubleClickSink() const { return FDoubleClickSink; }
  const ContextMenuSink& ContextMenu() const { return contextMenuSink_; }
  void Press(QMouseEvent* event);
  void DoubleClick(QMouseEvent* event, const QRect& area);
  void Release(QMouseEvent* event, const QRect& area);

 private:
  bool FPressed = false;
  ClickSink FSink;
  ClickSink FDoubleClickSink;
  ContextMenuSink contextMenuSink_;
};

class TMpvRenderWindow : public QWindow {
  Q_OBJECT
 public:
  explicit TMpvRenderWindow(mpv_handle* mpv);
  ~TMpvRenderWindow() override;

  // Creates the OpenGL context (current on an offscreen surface, so the render
  // context exists before the window is ever shown) and mpv's render context.
  bool InitRenderContext();
  // Frees mpv's render context; required before the mpv handle is destroyed.
  void FreeRenderContext();
  bool HasRenderContext() const { return FRender != nullptr; }
  int FramesRendered() const { return FFrames.load(); }
  // Stops drawing on the window's own surface and waits for a frame in flight
  // there; drawing resumes when the window is next exposed. Called before the
  // surface may go: on a hide (which on Wayland destroys it) and before the
  // platform window is destroyed. Mpv's frame timing goes on offscreen.
  void HoldDrawing();

  void SetClickSink(ClickSink sink) { FClick.SetSink(std::move(sink)); }
  void SetDoubleClickSink(ClickSink sink) { FClick.SetDoubleClickSink(std::move(sink)); }
  void SetContextMenuSink(ContextMenuSink sink) { FClick.SetContextMenuSink(std::move(sink)); }

 protected:
  bool event(QEvent* event) override;
  void exposeEvent(QExposeEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  bool ShownWithItsParent() const;
  static void OnMpvUpdate(void* self);
  void RequestRender(bool force);
  void RenderLoop();
  void Render(bool onWindow, QSize size);

  mpv_handle* FMpv;
  mpv_render_context* FRender = nullptr;
  std::unique_ptr<QOpenGLContext> FGl;
  std::unique_ptr<QOffscreenSurface> FOffscreen;
  QThread* FThread = nullptr;
  // Shared with the render thread, under FMutex.
  std::mutex FMutex;
  std::condition_variable FWake;
  std::condition_variable FFrameDone;
  bool FUpdate = false;   // mpv asked for an update
  bool FForce = false;    // draw even without a new frame (expose, resize)
  bool FQuit = false;
  bool FExposed = false;  // the window's surface may be drawn on
  bool FDrawing = false;  // a frame on the window's surface is in flight
  QSize FPixels;
  std::atomic<int> FFrames{0};
  TClickGesture FClick;
};

class TMpvVideoWidget : public QWidget {
  Q_OBJECT
 public:
  // renderWindow may be null (headless); the widget then only reports clicks.
  TMpvVideoWidget(QWidget* parent, TMpvRenderWindow* renderWindow);
  // The picture of the core: drawn into a render window when `drawn` and OpenGL
  // is there, else (the core then decodes no video output) a black panel.
  static TMpvVideoWidget* Create(QWidget* parent, mpv_handle* mpv, bool drawn);

  void SetClickSink(ClickSink sink);
  void SetDoubleClickSink(ClickSink sink);
  void SetContextMenuSink(ContextMenuSink sink);
  // The first core's window.
  TMpvRenderWindow* RenderWindow() const { return FSurfaces.empty() ? nullptr : FSurfaces.front().window.data(); }

  // A window of its own for a further core, kept for the core's whole life and
  // hidden until shown; null when the widget draws nothing or OpenGL fails.
  TMpvRenderWindow* AddSurface(mpv_handle* mpv);
  // Makes the core's window the one on screen.
  void ShowSurface(TMpvRenderWindow* window);
  // Frees the window's render context (before its core goes) and the window.
  void RemoveSurface(TMpvRenderWindow* window);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  static TMpvRenderWindow* NewRenderWindow(mpv_handle* mpv);
  void AddSurface(TMpvRenderWindow* window);

  struct Surface {
    QPointer<TMpvRenderWindow> window;
    QWidget* container;
  };
  std::vector<Surface> FSurfaces;
  TClickGesture FClick;
};

}  // namespace korvane
