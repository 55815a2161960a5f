#include "app/logic/MediaList.h"

#include "base/Format.h"
#include "base/Utf.h"
#include "config/Config.h"
#include "platform/FileKind.h"

namespace korvane {

bool IsReadyStatus(const std::u16string& status) { return status.empty() || status == kStatusReady; }
bool IsStoppedStatus(const std::u16string& status) { return status.empty() || status == kStatusStopped; }

std::string MegabyteText(int64_t size) {
  if (size < 0) return "";
  return Format("%.2f[MB]", {static_cast<double>(size) / 1048576.0});
}

void TMediaList::Open(const std::string& path) {
  FPlayer.setURL(ToWide(path));
  std::u16string url = FPlayer.URL();
  if (url.empty()) return;
  FView.SetStatusText(MegabyteText(FileSizeOf(ToNarrow(url))), 1);
  FPlayer.controls().play();
}

void TMediaList::ComboListSelect() {
  if (FView.ItemIndex() < 0) return;
  FPlayer.controls().stop();
  SelectExisting();
  HintNeighbours();
}

void TMediaList::SelectExisting() {
  try {
    // Entries whose files are gone are skipped as NextMedia would, in a loop
    // rather than by recursion so a long run of them cannot exhaust the stack.
    for (;;) {
      const std::string path = FView.Item(FView.ItemIndex());
      if (IsExistingNonFolder(path)) {
        Open(path);
        return;
      }
      const int next = FView.ItemIndex() + 1;
      if (next >= FView.ItemCount()) {
        FPlayer.setURL(u"");
        return;
      }
      FView.SetItemIndex(next);
      FPlayer.controls().stop();
    }
  } catch (const std::exception&) {
    // Opening or starting failed: the player stays as the failed call left it.
  }
}

void TMediaList::NextMedia() {
  const int next = FView.ItemIndex() + 1;
  if (next < FView.ItemCount()) {
    FView.SetItemIndex(next);
    ComboListSelect();
  } else {
    FPlayer.setURL(u"");
    HintNeighbours();
  }
}

void TMediaList::PrevMedia() {
  const int index = FView.ItemIndex();
  if (FView.ItemCount() > 0 && index > 0) {
    FView.SetItemIndex(index - 1);
    ComboListSelect();
  } else {
    FView.SetItemIndex(-1);
    FPlayer.setURL(u"");
    HintNeighbours();
  }
}

void TMediaList::HintNeighbours() {
  if (!FHint) return;
  const int index = FView.ItemIndex(), count = FView.ItemCount();
  FHint->HintNeighbours(index > 0 && index <= count ? FView.Item(index - 1) : "",
                        index + 1 < count ? FView.Item(index + 1) : "");
}

}  // namespace korvane
