#pragma once
// The player's area in its panel: the picture above the control strip. In full
// screen the picture takes the whole area and the strip shows over its bottom
// while the pointer moves there, hiding when it leaves or rests (on Wayland the
// picture makes room for it meanwhile).
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace korvane {

class TControlStrip;

inline constexpr int kStripHideMs = 1000;  // as long as the pointer shows in full screen

// Whether a pointer at height y of an area of areaHeight is over a strip of
// stripHeight at the bottom.
bool OverStrip(int y, int areaHeight, int stripHeight);

class TPlayerArea : public QWidget {
 public:
  explicit TPlayerArea(QWidget* parent);
  ~TPlayerArea() override;
  void SetParts(QWidget* picture, TControlStrip* strip);
  bool StripOverPicture() const { return FOverlay; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Place();
  bool PictureGivesWay() const;
  void WatchWindow();
  void SetOverlay(bool overlay);
  void NotePointer(const QPointF& global);
  void HideStrip();

  QWidget* FPicture = nullptr;
  QPointer<TControlStrip> FStrip;  // a child of the main window while over the picture
  QPointer<QWidget> FWatchedWindow;
  bool FOverlay = false;
  QTimer FHideTimer;
};

}  // namespace korvane
