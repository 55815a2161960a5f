#pragma once
// The preview over the seek bar: while the pointer hovers the bar, the time
// under it and a picture of the media there, above the bar at the pointer.
// Pictures come from a decoder of their own (created at the first hover), one
// at a time with only the newest request waiting, and are kept per file.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <string>

#include "player/MpvPreviewDecoder.h"
#include "player/PreviewRules.h"

class QFrame;
class QLabel;
class QWidget;

namespace korvane {

class TSeekPreview : public QObject {
 public:
  // owner: the widget the preview shows for (its window is the preview's parent).
  explicit TSeekPreview(QWidget* owner);
  ~TSeekPreview() override;

  // The pointer is at `at` (global), over `seconds` of the file at path;
  // without a picture (sound alone) only the time shows.
  void Hover(const std::string& path, bool hasPicture, double seconds, const QPoint& at);
  // The pointer left the bar, or a drag began: the preview hides and the file is let go.
  void Leave();
  bool Shown() const;
  bool ShowsPicture() const;

 private:
  void Answer(const TPreviewJob& job, TPreviewPicturePtr picture);
  void Request(const TPreviewJob& job);
  void ShowPicture(const TPreviewPicturePtr& picture);
  void Place(const QPoint& at);

  QPointer<QFrame> FPopup;  // a child of the owner, which may go first
  QLabel* FPicture;
  QLabel* FTime;
  TPreviewCache FCache;
  TPreviewQueue FQueue;
  std::string FPath;  // what the pointer is over now
  int64_t FKey = 0;
  QPoint FAt;  // where the preview stands, above the bar
  bool FHovering = false;
  std::unique_ptr<TMpvPreviewDecoder> FDecoder;  // last: its thread stops before the rest goes
};

}  // namespace korvane
