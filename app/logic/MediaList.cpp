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
  player_.setURL(ToWide(path));
  std::u16string url = player_.URL();
  if (url.empty()) return;
  view_.SetStatusText(MegabyteText(FileSizeOf(ToNarrow(url))), 1);
  player_.controls().play();
}

void TMediaList::ComboListSelect() {
  if (view_.ItemIndex() < 0) return;
  player_.controls().stop();
  SelectExisting();
  HintNeighbours();
}

void TMediaList::SelectExisting() {
  try {
    // Entries whose files are gone are skipped as NextMedia would, in a loop
    // rather than by recursion so a long run of them cannot exhaust the stack.
    for (;;) {
      const std::string path = view_.Item(view_.ItemIndex());
      if (IsExistingNonFolder(path)) {
        Open(path);
        return;
      }
      const int next = view_.ItemIndex() + 1;
      if (next >= view_.ItemCount()) {
        player_.setURL(u"");
        return;
      }
      view_.SetItemIndex(next);
      player_.controls().stop();
    }
  } catch (const std::exception&) {
    // Opening or starting failed: the player stays as the failed call left it.
  }
}

void TMediaList::NextMedia() {
  const int next = view_.ItemIndex() + 1;
  if (next < view_.ItemCount()) {
    view_.SetItemIndex(next);
    ComboListSelect();
  } else {
    player_.setURL(u"");
    HintNeighbours();
  }
}

void TMediaList::PrevMedia() {
  const int index = view_.ItemIndex();
  if (view_.ItemCount() > 0 && index > 0) {
    view_.SetItemIndex(index - 1);
    ComboListSelect();
  } else {
    view_.SetItemIndex(-1);
    player_.setURL(u"");
    HintNeighbours();
  }
}

void TMediaList::HintNeighbours() {
  if (!hint_) return;
  const int index = view_.ItemIndex(), count = view_.ItemCount();
  hint_->HintNeighbours(index > 0 && index <= count ? view_.Item(index - 1) : "",
                        index + 1 < count ? view_.Item(index + 1) : "");
}

}  // namespace korvane
