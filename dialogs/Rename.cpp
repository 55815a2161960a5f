#include "dialogs/Rename.h"

#include "base/Paths.h"
#include "base/Utf.h"
#include "platform/FileMove.h"

namespace korvane {

std::string RenamePlan::Prompt() const { return dir + "\n" + base + "\n" + ext; }

std::string RenamePlan::NewPath(const std::string& typed) const { return dir + typed + ext; }

RenamePlan PlanRename(const std::string& path, const std::string& title) {
  RenamePlan plan;
  plan.path = path;
  plan.dir = ExtractFilePath(path);
  plan.ext = ExtractFileExt(path);
  plan.base = StripFileExt(ExtractFileName(path));
  plan.proposal = plan.base == title ? plan.base : plan.base + title;
  return plan;
}

std::optional<std::string> RenameCurrentMedia(IWMPCore& player, const AskNewName& ask) {
  const std::shared_ptr<IWMPMedia> media = player.currentMedia();
  if (!media) return std::nullopt;
  const std::string title = ToNarrow(media->name());
  const RenamePlan plan = PlanRename(ToNarrow(player.URL()), title);
  std::string typed = plan.proposal;
  if (!ask(plan, typed)) return std::nullopt;
  const std::string newPath = plan.NewPath(typed);
  if (!MoveFileNoReplace(plan.path, newPath)) return std::nullopt;
  return newPath;
}

}  // namespace korvane
