#include "dialogs/Rename.h"

#include "base/Paths.h"

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

}  // namespace korvane
