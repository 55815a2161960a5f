#include "dialogs/trash/Rename.h"

#include <algorithm>

#include "base/Format.h"
#include "base/Paths.h"
#include "base/Utf.h"
#include "platform/FileMove.h"

namespace korvane {
namespace {

// The longest name a folder entry may have, in bytes.
constexpr size_t kMaxNameBytes = 255;

// The title without what would make it a path or cut it short.
std::string NameSafe(const std::string& title) {
  std::string safe;
  for (const char c : title)
    if (c != '/' && c != '\0') safe += c;
  return safe;
}

// Why the typed text cannot be the new name; "" when it can. The typed text
// may lead into a subfolder, so each of its parts must fit.
std::string WhyRefused(const std::string& typed, const std::string& ext) {
  if (typed.find('\0') != std::string::npos) return "名前に NUL 文字は使えません";
  const std::string name = typed + ext;
  for (size_t start = 0; start <= name.size();) {
    const size_t end = std::min(name.find('/', start), name.size());
    if (end - start > kMaxNameBytes)
      return Format("名前が長すぎます (%d バイト、255 バイトまで)", {static_cast<int64_t>(end - start)});
    start = end + 1;
  }
  return "";
}

}  // namespace

std::string RenamePlan::Prompt() const { return dir + "\n" + base + "\n" + ext; }

std::string RenamePlan::NewPath(const std::string& typed) const { return dir + typed + ext; }

RenamePlan PlanRename(const std::string& path, const std::string& title) {
  RenamePlan plan;
  plan.path = path;
  plan.dir = ExtractFilePath(path);
  plan.ext = ExtractFileExt(path);
  plan.base = StripFileExt(ExtractFileName(path));
  const std::string safeTitle = NameSafe(title);
  plan.proposal = plan.base == safeTitle ? plan.base : plan.base + safeTitle;
  return plan;
}

std::optional<std::string> RenameCurrentMedia(IWMPCore& player, const AskNewName& ask, const TellRefusal& refuse) {
  const std::shared_ptr<IWMPMedia> media = player.currentMedia();
  if (!media) return std::nullopt;
  const std::string title = ToNarrow(media->name());
  const RenamePlan plan = PlanRename(ToNarrow(player.URL()), title);
  std::string typed = plan.proposal;
  if (!ask(plan, typed)) return std::nullopt;
  if (const std::string why = WhyRefused(typed, plan.ext); !why.empty()) {
    refuse(why);
    return std::nullopt;
  }
  const std::string newPath = plan.NewPath(typed);
  if (!MoveFileNoReplace(plan.path, newPath)) return std::nullopt;
  return newPath;
}

}  // namespace korvane
