#include "player/ControlStrip.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include "player/PlayerTime.h"
#include "player/OnWayland.h"

namespace korvane {

namespace {

constexpr int kRefreshMs = 50;  // the time shown is never more than a tick behind
constexpr int kVolumeWidthEm = 7;

QString Text(const std::u16string& text) { return QString::fromStdU16String(text); }

// Room for the widest text of this shape, so the layout does not move as the digits do.
int TimeWidth(const QLabel& label, const QString& text) {
  QString widest = text;
  for (QChar& c : widest)
    if (c.isDigit()) c = QLatin1Char('8');
  return label.fontMetrics().horizontalAdvance(widest) + 2;
}

}  // namespace

// ---------------------------------------------------------------- seek bar

TSeekBar::TSeekBar(QWidget* parent, TSeekSink seek) : QSlider(Qt::Horizontal, parent), FSeek(std::move(seek)) {
  setFocusPolicy(Qt::NoFocus);
  setRange(0, kSeekBarSteps);
  setEnabled(false);
  setMouseTracking(true);  // the preview follows the pointer
}

void TSeekBar::Show(double position, double duration) {
  FDuration = duration;
  const int value = SeekBarValue(FDrag.Active() ? FDrag.Seconds() : position, duration);
  // Repainted only when the handle moves by a pixel, not on every refresh.
  const auto pixel = [this](int v) { return QStyle::sliderPositionFromValue(minimum(), maximum(), v, width()); };
  if (pixel(value) != pixel(this->value())) setValue(value);
}

// The share of the bar under the pointer, as the style lays out groove and handle.
double TSeekBar::FractionAt(const QPointF& position) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  const double fraction = FractionAtX(position.toPoint().x(), groove.x() + handle.width() / 2,
                                      groove.width() - handle.width());
  return isRightToLeft() ? 1 - fraction : fraction;
}

void TSeekBar::Send(const std::optional<TSeekRequest>& request) {
  if (!request) return;
  setValue(SeekBarValue(request->FSeconds, FDuration));
  FSeek(*request);
}

void TSeekBar::Hover(const QPointF& position, const QPointF& global) {
  if (!FPreview.FHover || !KnownDuration(FDuration)) return;
  const QPoint above(static_cast<int>(global.x()), mapToGlobal(QPoint(0, 0)).y());
  FPreview.FHover(FractionAt(position) * FDuration, above);
}

void TSeekBar::EndHover() {
  if (FPreview.FLeave) FPreview.FLeave();
}

// In full screen the bar shows under a pointer that rests: its coming is the first hover.
void TSeekBar::enterEvent(QEnterEvent* event) {
  QSlider::enterEvent(event);
  if (!FDrag.Active()) Hover(event->position(), event->globalPosition());
}

void TSeekBar::leaveEvent(QEvent* event) {
  EndHover();
  QSlider::leaveEvent(event);
}

void TSeekBar::mousePressEvent(QMouseEvent* event) {
  event->accept();
  EndHover();
  if (event->button() != Qt::LeftButton || !KnownDuration(FDuration)) return;
  FDrag.Press(FractionAt(event->position()), FDuration);
  setSliderDown(true);
  setValue(SeekBarValue(FDrag.Seconds(), FDuration));
}

void TSeekBar::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (FDrag.Active()) Send(FDrag.Move(FractionAt(event->position())));
  else Hover(event->position(), event->globalPosition());
}

void TSeekBar::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  setSliderDown(false);
  Send(FDrag.Release(FractionAt(event->position())));
}

// The wheel would move the handle without a seek; the skips have keys.
void TSeekBar::wheelEvent(QWheelEvent* event) { event->accept(); }

// ---------------------------------------------------------------- strip

TControlStrip::TControlStrip(QWidget* parent, IWMPCore& player, TSeekSink seek)
    : QWidget(parent), FPlayer(player), FSeekBar(new TSeekBar(this, std::move(seek))) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);  // the desktop's, not the panel's own white or black
  FPlayPause = AddButton("media-playback-start", QStyle::SP_MediaPlay, QStringLiteral("再生"));
  FStop = AddButton("media-playback-stop", QStyle::SP_MediaStop, QStringLiteral("停止"));
  FMute = AddButton("audio-volume-high", QStyle::SP_MediaVolume, QStringLiteral("Mute"));
  FMute->setCheckable(true);
  FVolume = new QSlider(Qt::Horizontal, this);
  FVolume->setFocusPolicy(Qt::NoFocus);
  FVolume->setRange(0, 100);
  FVolume->setToolTip(QStringLiteral("音量"));
  FTime = new QLabel(this);
  BuildLayout();
  connect(FPlayPause, &QToolButton::clicked, this, [this] { PlayPauseClick(); });
  connect(FStop, &QToolButton::clicked, this, [this] { FPlayer.controls().stop(); Refresh(); });
  connect(FMute, &QToolButton::clicked, this, [this] { MuteClick(); });
  connect(FVolume, &QSlider::valueChanged, this, [this](int value) { VolumeChange(value); });
  FRefreshTimer.setInterval(kRefreshMs);
  connect(&FRefreshTimer, &QTimer::timeout, this, [this] { Refresh(); });
  // A window of its own, which a click never gives the keyboard focus, so that
  // it can be raised over the picture's window in full screen. Not on Wayland:
  // there a widget's sub-surface is drawn once and never again.
  setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  if (!OnWayland()) setAttribute(Qt::WA_NativeWindow);
  setAttribute(Qt::WA_NoMousePropagation);
}

QToolButton* TControlStrip::AddButton(const char* iconName, QStyle::StandardPixmap fallback, const QString& tip) {
  auto* button = new QToolButton(this);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRaise(true);
  button->setIcon(QIcon::fromTheme(QLatin1String(iconName), style()->standardIcon(fallback)));
  button->setToolTip(tip);
  return button;
}

void TControlStrip::BuildLayout() {
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(2);
  for (QWidget* widget : {static_cast<QWidget*>(FPlayPause), static_cast<QWidget*>(FStop), static_cast<QWidget*>(FMute)})
    buttons->addWidget(widget);
  FVolume->setFixedWidth(fontMetrics().averageCharWidth() * kVolumeWidthEm + 40);
  buttons->addWidget(FVolume);
  buttons->addStretch(1);
  buttons->addWidget(FTime);
  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(4, 2, 4, 2);
  rows->setSpacing(0);
  rows->addWidget(FSeekBar);
  rows->addLayout(buttons);
}

void TControlStrip::Refresh() {
  try {
    Show(ReadStripState(FPlayer));
  } catch (const TPlayerError&) {
    // Shown as it was; the next refresh asks again.
  }
}

void TControlStrip::Show(const TStripState& state) {
  CancelDragOnMediaChange();
  const bool seekable = SeekBarEnabled(state);
  if (!seekable) FSeekBar->CancelDrag();
  FSeekBar->setEnabled(seekable);
  FSeekBar->Show(state.FPosition, state.FDuration);
  FPlayPause->setEnabled(state.FCanPlay || state.FCanPause);
  const bool showPause = !state.FCanPlay && state.FCanPause;
  if (showPause != FShowsPause) {
    FShowsPause = showPause;
    FPlayPause->setIcon(QIcon::fromTheme(showPause ? "media-playback-pause" : "media-playback-start",
                                         style()->standardIcon(showPause ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay)));
    FPlayPause->setToolTip(showPause ? QStringLiteral("一時停止") : QStringLiteral("再生"));
  }
  FStop->setEnabled(state.FCanStop);
  if (FMute->isChecked() != state.FMute) {
    FMute->setChecked(state.FMute);
    FMute->setIcon(QIcon::fromTheme(state.FMute ? "audio-volume-muted" : "audio-volume-high",
                                    style()->standardIcon(state.FMute ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume)));
  }
  if (!FVolume->isSliderDown() && FVolume->value() != state.FVolume) {
    FShowingVolume = true;
    FVolume->setValue(state.FVolume);
    FShowingVolume = false;
  }
  ShowTime(state);
}

void TControlStrip::ShowTime(const TStripState& state) {
  const double position = FSeekBar->Dragging() ? FSeekBar->DragSeconds() : state.FPosition;
  const QString text = state.FHasMedia ? Text(StripTimeText(position, state.FDuration)) : QString();
  if (text == FTime->text()) return;
  if (text.size() != FTime->text().size()) FTime->setMinimumWidth(TimeWidth(*FTime, text));
  FTime->setText(text);
}

// A drag begun on one media never seeks in the next.
void TControlStrip::CancelDragOnMediaChange() {
  const std::shared_ptr<IWMPMedia> media = FPlayer.currentMedia();
  if (media != FMedia.lock()) FSeekBar->CancelDrag();
  FMedia = media;
}

void TControlStrip::PlayPauseClick() {
  TogglePlayPause(FPlayer);
  Refresh();
}

void TControlStrip::MuteClick() {
  IWMPSettings& settings = FPlayer.settings();
  settings.setMute(!settings.mute());
  Refresh();
}

void TControlStrip::VolumeChange(int value) {
  if (!FShowingVolume) FPlayer.settings().setVolume(value);
}

void TControlStrip::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Named, so that window-system tools tell it from the picture's windows.
  if (QWindow* window = windowHandle()) window->setTitle(QStringLiteral("Korvane controls"));
  Refresh();
  FRefreshTimer.start();
}

void TControlStrip::hideEvent(QHideEvent* event) {
  FRefreshTimer.stop();
  QWidget::hideEvent(event);
}

// Kept here: a click between the controls is no click on the picture.
void TControlStrip::mousePressEvent(QMouseEvent* event) { event->accept(); }
void TControlStrip::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void TControlStrip::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

}  // namespace korvane
