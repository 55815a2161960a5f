#pragma once
// The player's own controls under its picture: a seek bar across the width,
// then play/pause, stop, mute, the volume and the time. They follow the player
// on a short timer, never take the keyboard focus (the main window's short-cuts
// are the program's interface), and keep every click to themselves, so none
// reaches the picture. Drawn by the desktop's style and icon theme.
// The strip has a native window of its own: in full screen it shows over the
// picture, which is a native window too.
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "player/Player.h"
#include "player/StripRules.h"

class QLabel;
class QToolButton;

namespace korvane {

using TSeekSink = std::function<void(const TSeekRequest&)>;

// The pointer over the bar, not dragging: the seconds under it and the point
// above the bar (global) where a preview goes; then its leaving.
struct TPreviewHooks {
  std::function<void(double seconds, const QPoint& at)> FHover;
  std::function<void()> FLeave;
};

// A slider over [0, duration] that puts the position where it is pressed and
// dragged to, with the seeks TSeekDrag asks for.
class TSeekBar : public QSlider {
  Q_OBJECT
 public:
  TSeekBar(QWidget* parent, TSeekSink seek);
  // Shows the position unless a drag holds the handle.
  void Show(double position, double duration);
  bool Dragging() const { return FDrag.Active(); }
  double DragSeconds() const { return FDrag.Seconds(); }
  void CancelDrag() { FDrag.Cancel(); }
  void SetPreviewHooks(TPreviewHooks hooks) { FPreview = std::move(hooks); }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  double FractionAt(const QPointF& position) const;
  void Send(const std::optional<TSeekRequest>& request);
  void Hover(const QPointF& position, const QPointF& global);
  void EndHover();

  TSeekSink FSeek;
  TPreviewHooks FPreview;
  TSeekDrag FDrag;
  double FDuration = 0;
};

class TControlStrip : public QWidget {
  Q_OBJECT
 public:
  TControlStrip(QWidget* parent, IWMPCore& player, TSeekSink seek);
  // Reads the player and shows what it read; the timer calls it while the strip is shown.
  void Refresh();
  bool Dragging() const { return FSeekBar->Dragging(); }
  TSeekBar& SeekBar() const { return *FSeekBar; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QToolButton* AddButton(const char* iconName, QStyle::StandardPixmap fallback, const QString& tip);
  void BuildLayout();
  void Show(const TStripState& state);
  void ShowTime(const TStripState& state);
  void CancelDragOnMediaChange();
  void PlayPauseClick();
  void MuteClick();
  void VolumeChange(int value);

  IWMPCore& FPlayer;
  TSeekBar* FSeekBar;
  QToolButton* FPlayPause;
  QToolButton* FStop;
  QToolButton* FMute;
  QSlider* FVolume;
  QLabel* FTime;
  QTimer FRefreshTimer;
  std::weak_ptr<IWMPMedia> FMedia;  // what the last refresh showed
  bool FShowingVolume = false;      // a volume change of the player's own, not the user's
  bool FShowsPause = false;         // the play/pause button now shows "pause"
};

}  // namespace korvane
