#include "app/logic/TickStep.h"

#include "app/logic/PlaybackSpeed.h"
#include "base/Format.h"
#include "base/StringList.h"
#include "base/Utf.h"

namespace korvane {

void TTickStep::Tick() {
  if (FSearch.PendingCount() <= 0) {
    FView.SetStatusText(SpeedText(FPlayer.settings().rate()), 2);
  } else {
    FView.SetStatusText(kSearchHint, 2);
    // Asked only while files wait, so an earlier press still counts here.
    if (FEscapeState()) FSearch.Cancel();
    TakeFoundFiles();
  }
  if (FView.ItemIndex() != -1 && IsReadyStatus(FPlayer.status())) FPlayer.controls().play();
  if (std::shared_ptr<IWMPMedia> media = FPlayer.currentMedia()) {
    ShowPosition(*media);
    if (IsStoppedStatus(FPlayer.status())) FList.NextMedia();
  }
}

void TTickStep::TakeFoundFiles() {
  TStringList batch(true, true);
  FSearch.TakeFound(batch, kBatchSize);
  bool grown = false;
  for (const std::string& path : batch) {
    if (FList.KeptOut(path) || !FConfig.AcceptFile(path)) continue;
    FView.AppendItem(path);
    grown = true;
    if (IsReadyStatus(FPlayer.status())) FList.NextMedia();
  }
  if (grown) FList.HintNeighbours();  // the entry below the last one may be new
}

void TTickStep::ShowPosition(IWMPMedia& media) {
  IWMPControls& controls = FPlayer.controls();
  Shown now{controls.currentPositionString(), media.durationString(), controls.currentPosition(), media.duration(),
            UserNumberStyle().decimalSeparator};
  if (now == FShown) return;
  FShown = now;
  std::string posText = ToDisplayText(now.posText);
  if (posText.empty()) posText = "00:00";
  FView.SetStatusText(Format("%s(%f秒) / %s(%f秒)", {posText, now.pos, ToDisplayText(now.durText), now.dur}), 0);
}

}  // namespace korvane
