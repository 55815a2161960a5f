#include "app/logic/TickStep.h"

#include "app/logic/PlaybackSpeed.h"
#include "base/Format.h"
#include "base/StringList.h"
#include "base/Utf.h"

namespace korvane {

void TTickStep::Tick() {
  if (search_.PendingCount() <= 0) {
    view_.SetStatusText(SpeedText(player_.settings().rate()), 2);
  } else {
    view_.SetStatusText(kSearchHint, 2);
    // Asked only while files wait, so an earlier press still counts here.
    if (escapeState_()) search_.Cancel();
    TakeFoundFiles();
  }
  if (view_.ItemIndex() != -1 && IsReadyStatus(player_.status())) player_.controls().play();
  if (std::shared_ptr<IWMPMedia> media = player_.currentMedia()) {
    ShowPosition(*media);
    if (IsStoppedStatus(player_.status())) list_.NextMedia();
  }
}

void TTickStep::TakeFoundFiles() {
  TStringList batch(true, true);
  search_.TakeFound(batch, kBatchSize);
  bool grown = false;
  for (const std::string& path : batch) {
    if (!config_.AcceptFile(path)) continue;
    view_.AppendItem(path);
    grown = true;
    if (IsReadyStatus(player_.status())) list_.NextMedia();
  }
  if (grown) list_.HintNeighbours();  // the entry below the last one may be new
}

void TTickStep::ShowPosition(IWMPMedia& media) {
  IWMPControls& controls = player_.controls();
  Shown now{controls.currentPositionString(), media.durationString(), controls.currentPosition(), media.duration(),
            UserNumberStyle().decimalSeparator};
  if (now == shown_) return;
  shown_ = now;
  std::string posText = ToDisplayText(now.posText);
  if (posText.empty()) posText = "00:00";
  view_.SetStatusText(Format("%s(%f秒) / %s(%f秒)", {posText, now.pos, ToDisplayText(now.durText), now.dur}), 0);
}

}  // namespace korvane
